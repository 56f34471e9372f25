#include "LibusbTransport.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>

#include "DeviceHolder.h"

namespace {

// The board's one interface, which its vendor requests belong to.
constexpr int kInterface = 0;

class LibusbDevice : public UsbDevice {
public:
    explicit LibusbDevice(libusb_device_handle* handle) : handle_(handle) {}
    ~LibusbDevice() override {
        if (claimed_) libusb_release_interface(handle_, kInterface);
        libusb_close(handle_);
    }
    LibusbDevice(const LibusbDevice&) = delete;
    LibusbDevice& operator=(const LibusbDevice&) = delete;

    Claim claim() override {
        const int result = libusb_claim_interface(handle_, kInterface);
        claimed_ = result == 0;
        if (claimed_) return Claim::Claimed;
        return result == LIBUSB_ERROR_BUSY ? Claim::Busy : Claim::Failed;
    }

    int control(uint8_t requestType, uint8_t request, uint16_t value, uint16_t index, uint8_t* data,
                uint16_t length, unsigned timeoutMs) override {
        return libusb_control_transfer(handle_, requestType, request, value, index, data, length,
                                       timeoutMs);
    }

private:
    libusb_device_handle* handle_;
    bool claimed_ = false;
};

std::vector<uint8_t> portsOf(libusb_device* device) {
    std::array<uint8_t, 8> ports{};  // USB allows at most 7 tiers below the root
    const int depth = libusb_get_port_numbers(device, ports.data(), ports.size());
    return {ports.begin(), ports.begin() + std::max(depth, 0)};
}

}  // namespace

LibusbTransport::LibusbTransport() {
    if (libusb_init(&context_) != 0) context_ = nullptr;
}

LibusbTransport::~LibusbTransport() {
    releaseList();
    if (context_ != nullptr) libusb_exit(context_);
}

void LibusbTransport::releaseList() {
    if (list_ != nullptr) libusb_free_device_list(list_, 1);
    list_ = nullptr;
    count_ = 0;
}

std::vector<BusDevice> LibusbTransport::devices() {
    releaseList();
    std::vector<BusDevice> found;
    if (context_ == nullptr) return found;
    const ssize_t count = libusb_get_device_list(context_, &list_);
    if (count < 0) {
        list_ = nullptr;
        return found;
    }
    count_ = static_cast<std::size_t>(count);
    for (std::size_t i = 0; i < count_; ++i) {
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(list_[i], &descriptor) != 0) descriptor = {};
        found.push_back({{descriptor.idVendor, descriptor.idProduct},
                         libusb_get_bus_number(list_[i]),
                         portsOf(list_[i]),
                         libusb_get_device_address(list_[i])});
    }
    return found;
}

std::unique_ptr<UsbDevice> LibusbTransport::open(std::size_t position) {
    if (position >= count_) return nullptr;
    libusb_device_handle* handle = nullptr;
    if (libusb_open(list_[position], &handle) != 0) return nullptr;
    return std::make_unique<LibusbDevice>(handle);
}

std::string LibusbTransport::serial(std::size_t position) {
    libusb_device_descriptor descriptor{};
    if (position >= count_ || libusb_get_device_descriptor(list_[position], &descriptor) != 0 ||
        descriptor.iSerialNumber == 0) {
        return "";
    }
    libusb_device_handle* handle = nullptr;
    if (libusb_open(list_[position], &handle) != 0) return "";
    std::array<unsigned char, 128> text{};
    const int length = libusb_get_string_descriptor_ascii(handle, descriptor.iSerialNumber,
                                                          text.data(), text.size());
    libusb_close(handle);
    return length > 0 ? std::string(text.begin(), text.begin() + length) : "";
}

std::string LibusbTransport::holder(std::size_t position) {
    if (position >= count_) return "";
    // The kernel's device node that every program holding the device has open.
    std::array<char, 32> node{};
    std::snprintf(node.data(), node.size(), "/dev/bus/usb/%03d/%03d",
                  libusb_get_bus_number(list_[position]),
                  libusb_get_device_address(list_[position]));
    return processHolding(node.data(), getpid());
}
