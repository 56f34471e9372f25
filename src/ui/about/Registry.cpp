#include "ui/about/Registry.h"

#include <array>
#include <cstdio>
#include <cstring>

bool GetKeyValue(Registry& registry, uint32_t keyRoot, const std::string& keyName,
                 const std::string& subKeyRef, std::string& keyVal) {
    uintptr_t key = 0;
    if (registry.openKey(keyRoot, keyName, Registry::kAccess, key) != 0) {
        keyVal.clear();
        return false;
    }
    std::array<uint8_t, Registry::kBufferSize> buffer{};
    uint32_t size = Registry::kBufferSize;
    uint32_t type = 0;
    if (registry.queryValue(key, subKeyRef, type, buffer.data(), size) != 0 ||
        size > Registry::kBufferSize) {
        keyVal.clear();
        registry.closeKey(key);
        return false;
    }
    const uint32_t length = size > 0 && buffer[size - 1] == 0 ? size - 1 : size;
    if (type == Registry::kText) {
        keyVal.assign(reinterpret_cast<const char*>(buffer.data()), length);
    } else if (type == Registry::kNumber) {
        uint32_t number = 0;
        std::memcpy(&number, buffer.data(), 4);
        char text[16];
        std::snprintf(text, sizeof text, "&h%X", number);
        keyVal = text;
    }
    registry.closeKey(key);
    return true;
}
