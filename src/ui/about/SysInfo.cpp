#include "ui/about/SysInfo.h"

#include "board/Dialogs.h"
#include "ui/about/Registry.h"

const std::vector<std::string>& desktopSysInfoTools() {
    static const std::vector<std::string> tools = {"hardinfo", "kinfocenter", "lshw-gtk",
                                                   "gnome-system-monitor"};
    return tools;
}

namespace {

// The tool's path: from the registry's entries first, then from the PATH; empty for none.
std::string findTool(SysInfoPlatform& platform) {
    std::string path;
    if (GetKeyValue(platform.registry(), Registry::kLocalMachine,
                    "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", path)) {
        return path;  // taken as it stands, without checking that it exists
    }
    if (GetKeyValue(platform.registry(), Registry::kLocalMachine,
                    "SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO", path) &&
        platform.isFile(path + "/MSINFO32.EXE")) {
        return path + "/MSINFO32.EXE";
    }
    for (const std::string& tool : desktopSysInfoTools()) {
        path = platform.findOnPath(tool);
        if (!path.empty()) return path;
    }
    return {};
}

}  // namespace

void StartSysInfo(SysInfoPlatform& platform, Dialogs& dialogs) {
    const std::string path = findTool(platform);
    if (!path.empty() && platform.startDetached(path)) return;
    dialogs.show({"System Information Is Unavailable At This Time", "", MessageIcon::None,
                  MessageButtons::Ok});
}
