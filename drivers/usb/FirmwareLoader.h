#pragma once

#include "IntelHex.h"
#include "UsbTransport.h"

// Loads an image into the RAM of a USB microcontroller that boots without firmware, over the
// common RAM-loader protocol: vendor request 0xA0 writes RAM at the address in the request's
// value; writing 1 to the CPU control register at 0xE600 holds the CPU in reset, 0 starts it.
namespace ram_loader {

inline constexpr uint8_t kWriteRam = 0xA0;
inline constexpr uint16_t kCpuControl = 0xE600;
inline constexpr uint16_t kChunk = 1024;  // bytes per control transfer
inline constexpr unsigned kTimeoutMs = 1000;

// True when every transfer went through whole. The CPU is held in reset before the first
// record and started after the last; a failure stops at once. The write that starts the CPU
// may be cut short by the device leaving the bus at once to come back with its firmware (an
// I/O, pipe or no-device error): that counts as done, and the device's return tells.
bool load(UsbDevice& device, const HexImage& image);

}  // namespace ram_loader
