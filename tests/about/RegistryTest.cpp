#include "ui/about/Registry.h"

#include <gtest/gtest.h>

#include <map>

#include "FakeDialogs.h"
#include "ui/about/SysInfo.h"

namespace {

struct Value {
    uint32_t type;
    std::vector<uint8_t> bytes;
};

// A registry of a few keys; it counts the keys still open.
class FakeRegistry : public Registry {
public:
    std::map<std::string, std::map<std::string, Value>> keys;
    int openKeys = 0;

    long openKey(uint32_t root, const std::string& name, uint32_t access, uintptr_t& key) override {
        if (root != kLocalMachine || access != kAccess || !keys.count(name)) return 2;
        key = reinterpret_cast<uintptr_t>(&keys.at(name));
        ++openKeys;
        return 0;
    }
    long queryValue(uintptr_t key, const std::string& name, uint32_t& type, uint8_t* buffer,
                    uint32_t& size) override {
        const auto& values = *reinterpret_cast<std::map<std::string, Value>*>(key);
        if (!values.count(name)) return 2;
        const Value& value = values.at(name);
        if (value.bytes.size() > size) return 234;  // more data than the buffer takes
        std::copy(value.bytes.begin(), value.bytes.end(), buffer);
        size = static_cast<uint32_t>(value.bytes.size());
        type = value.type;
        return 0;
    }
    void closeKey(uintptr_t) override { --openKeys; }
};

Value text(const std::string& s, bool terminated) {
    std::vector<uint8_t> bytes(s.begin(), s.end());
    if (terminated) bytes.push_back(0);
    return {Registry::kText, bytes};
}

const std::string kMsinfo = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const std::string kLocation = "SOFTWARE\\Microsoft\\Shared Tools Location";

class FakePlatform : public SysInfoPlatform {
public:
    FakeRegistry fakeRegistry;
    std::vector<std::string> files;
    std::map<std::string, std::string> onPath;
    bool startWorks = true;
    std::vector<std::string> started;

    Registry& registry() override { return fakeRegistry; }
    bool isFile(const std::string& path) override {
        return std::find(files.begin(), files.end(), path) != files.end();
    }
    std::string findOnPath(const std::string& program) override {
        return onPath.count(program) ? onPath.at(program) : "";
    }
    bool startDetached(const std::string& path) override {
        started.push_back(path);
        return startWorks;
    }
};

const char* kUnavailable = "System Information Is Unavailable At This Time";

}  // namespace

TEST(GetKeyValue, ReadsTextNumbersAndTreatsWhatCannotBeReadAsAbsent) {
    FakeRegistry registry;
    registry.keys["K"] = {{"zero", text("C:\\x", true)},
                          {"bare", text("C:\\y", false)},
                          {"inner", {Registry::kText, {'a', 0, 'b'}}},
                          {"dword", {Registry::kNumber, {0x2A, 0x01, 0, 0}}},
                          {"binary", {3, {1, 2}}},
                          {"huge", {Registry::kText, std::vector<uint8_t>(1025, 'x')}},
                          {"full", {Registry::kText, std::vector<uint8_t>(1024, 'y')}}};
    using Case = std::tuple<const char*, const char*, bool, std::string>;
    for (const auto& [key, name, read, result] :
         {Case{"K", "zero", true, "C:\\x"}, Case{"K", "bare", true, "C:\\y"},
          Case{"K", "inner", true, std::string("a\0b", 3)}, Case{"K", "dword", true, "&h12A"},
          Case{"K", "binary", true, "before"}, Case{"K", "huge", false, ""},
          Case{"K", "full", true, std::string(1024, 'y')}, Case{"K", "missing", false, ""},
          Case{"Nope", "zero", false, ""}}) {
        std::string value = "before";
        EXPECT_EQ(GetKeyValue(registry, Registry::kLocalMachine, key, name, value), read) << name;
        EXPECT_EQ(value, result) << name;
        EXPECT_EQ(registry.openKeys, 0) << "the key is always closed";
    }
}

TEST(StartSysInfo, RegistryPathThenToolInTheRegistryFolderThenTheFirstDesktopTool) {
    FakePlatform platform;
    FakeDialogs dialogs;
    StartSysInfo(platform, dialogs);
    ASSERT_EQ(dialogs.shown.size(), 1u) << "nothing found";
    EXPECT_EQ(dialogs.shown[0].text, kUnavailable);
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::None);
    EXPECT_EQ(dialogs.shown[0].title, "");
    platform.onPath["gnome-system-monitor"] = "/usr/bin/gnome-system-monitor";
    platform.onPath["kinfocenter"] = "/usr/bin/kinfocenter";
    platform.fakeRegistry.keys[kLocation] = {{"MSINFO", text("/opt/tools", true)}};
    StartSysInfo(platform, dialogs);
    platform.files.push_back("/opt/tools/MSINFO32.EXE");
    StartSysInfo(platform, dialogs);
    platform.fakeRegistry.keys[kMsinfo] = {{"PATH", text("/opt/msinfo/run", true)}};
    StartSysInfo(platform, dialogs);
    EXPECT_EQ(platform.started,
              (std::vector<std::string>{"/usr/bin/kinfocenter", "/opt/tools/MSINFO32.EXE",
                                        "/opt/msinfo/run"}));
    platform.startWorks = false;  // the registry's path is never checked, only started
    StartSysInfo(platform, dialogs);
    EXPECT_EQ(dialogs.shown.size(), 2u);
}
