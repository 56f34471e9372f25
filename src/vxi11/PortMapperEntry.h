#pragma once

#include <cstdint>

// A program's TCP port entered with the port mapper (rpcbind) for as long as this lives, so
// clients find the program by its number.
class PortMapperEntry {
public:
    // Throws std::runtime_error when no port mapper answers or it refuses the entry.
    PortMapperEntry(uint32_t program, uint32_t version, int port);
    ~PortMapperEntry();
    PortMapperEntry(const PortMapperEntry&) = delete;
    PortMapperEntry& operator=(const PortMapperEntry&) = delete;

private:
    uint32_t program_;
    uint32_t version_;
};
