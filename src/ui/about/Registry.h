#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The system registry as the About box uses it: open a key, query one value, close the key.
// Status 0 is success. Linux has no registry (NoRegistry); tests use a fake.
class Registry {
public:
    static constexpr uint32_t kLocalMachine = 0x80000002;
    static constexpr uint32_t kAccess = 0x0002003F;
    static constexpr uint32_t kText = 1;    // REG_SZ
    static constexpr uint32_t kNumber = 4;  // REG_DWORD
    static constexpr uint32_t kBufferSize = 1024;

    virtual ~Registry() = default;
    virtual long openKey(uint32_t root, const std::string& name, uint32_t access,
                         uintptr_t& key) = 0;
    // Fills buffer (size bytes on the way in) and sets size to the value's length; a value
    // that does not fit gives a nonzero status.
    virtual long queryValue(uintptr_t key, const std::string& name, uint32_t& type, uint8_t* buffer,
                            uint32_t& size) = 0;
    virtual void closeKey(uintptr_t key) = 0;
};

class NoRegistry : public Registry {
public:
    long openKey(uint32_t, const std::string&, uint32_t, uintptr_t&) override { return 2; }
    long queryValue(uintptr_t, const std::string&, uint32_t&, uint8_t*, uint32_t&) override {
        return 2;
    }
    void closeKey(uintptr_t) override {}
};

// Reads one value into keyVal; true when it was read. Text loses its terminating zero when that
// is the last byte; a number becomes "&h" and its hexadecimal digits; any other type leaves
// keyVal as it was. The key is always closed once opened.
bool GetKeyValue(Registry& registry, uint32_t keyRoot, const std::string& keyName,
                 const std::string& subKeyRef, std::string& keyVal);
