#pragma once

#include <string>
#include <vector>

class Dialogs;
class Registry;

// What starting the system information tool needs of the platform.
class SysInfoPlatform {
public:
    virtual ~SysInfoPlatform() = default;
    virtual Registry& registry() = 0;
    // An ordinary file (not a folder) at path.
    virtual bool isFile(const std::string& path) = 0;
    // The full path of a program found on the PATH, or empty.
    virtual std::string findOnPath(const std::string& program) = 0;
    // Starts the program on its own, in its own window; false when it could not be started.
    virtual bool startDetached(const std::string& path) = 0;
};

// The desktop's system information tools looked for on the PATH, in this order, where the
// registry names none.
const std::vector<std::string>& desktopSysInfoTools();

// Finds the system information tool and starts it, or says it is unavailable.
void StartSysInfo(SysInfoPlatform& platform, Dialogs& dialogs);
