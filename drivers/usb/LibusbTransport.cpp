#include "LibusbTransport.h"

namespace {

class LibusbDevice : public UsbDevice {
public:
    explicit LibusbDevice(libusb_device_handle* handle) : handle_(handle) {}
    ~LibusbDevice() override { libusb_close(handle_); }
    LibusbDevice(const LibusbDevice&) = delete;
    LibusbDevice& operator=(const LibusbDevice&) = delete;

    int control(uint8_t requestType, uint8_t request, uint16_t value, uint16_t index, uint8_t* data,
                uint16_t length, unsigned timeoutMs) override {
        return libusb_control_transfer(handle_, requestType, request, value, index, data, length,
                                       timeoutMs);
    }

private:
    libusb_device_handle* handle_;
};

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
    std::vector<BusDevice> ids;
    if (context_ == nullptr) return ids;
    const ssize_t count = libusb_get_device_list(context_, &list_);
    if (count < 0) {
        list_ = nullptr;
        return ids;
    }
    count_ = static_cast<std::size_t>(count);
    for (std::size_t i = 0; i < count_; ++i) {
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(list_[i], &descriptor) != 0) descriptor = {};
        const auto address = static_cast<uint16_t>(libusb_get_bus_number(list_[i]) << 8 |
                                                   libusb_get_device_address(list_[i]));
        ids.push_back({{descriptor.idVendor, descriptor.idProduct}, address});
    }
    return ids;
}

std::unique_ptr<UsbDevice> LibusbTransport::open(std::size_t position) {
    if (position >= count_) return nullptr;
    libusb_device_handle* handle = nullptr;
    if (libusb_open(list_[position], &handle) != 0) return nullptr;
    return std::make_unique<LibusbDevice>(handle);
}
