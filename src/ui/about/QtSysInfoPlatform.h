#pragma once

#include "ui/about/Registry.h"
#include "ui/about/SysInfo.h"

// The Linux desktop for the system information launcher: no registry, the PATH, and programs
// started on their own.
class QtSysInfoPlatform : public SysInfoPlatform {
public:
    Registry& registry() override { return registry_; }
    bool isFile(const std::string& path) override;
    std::string findOnPath(const std::string& program) override;
    bool startDetached(const std::string& path) override;

private:
    NoRegistry registry_;
};
