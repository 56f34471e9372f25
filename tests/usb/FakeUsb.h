#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "UsbTransport.h"

// A USB bus with scripted devices that record every control transfer.
struct Transfer {
    uint8_t requestType, request;
    uint16_t value, index;
    std::vector<uint8_t> data;  // what went out (or the length asked for, in zeros)
    uint8_t address = 0;        // of the device that carried it
};

struct FakeBus {
    std::vector<BusDevice> devices;
    std::vector<Transfer> transfers;
    int failAfter = -1;          // transfers that go through before the device is gone
    int shortBy = 0;             // bytes missing from every transfer's data stage
    std::vector<uint8_t> reply;  // data stage of requests from the device
    bool opensFail = false;
    int cpuStartResult = 1;                  // what the write that starts the CPU returns
    std::map<uint8_t, std::string> held;     // by address: another program's, and who it is
    std::map<uint8_t, std::string> serials;  // by address
    // Runs after each transfer: the loader's start of the CPU can make the board re-enumerate.
    std::function<void(const Transfer&)> afterTransfer;
};

class FakeDevice : public UsbDevice {
public:
    explicit FakeDevice(FakeBus& bus, uint8_t address = 0) : bus_(bus), address_(address) {}
    Claim claim() override { return bus_.held.contains(address_) ? Claim::Busy : Claim::Claimed; }
    int control(uint8_t requestType, uint8_t request, uint16_t value, uint16_t index, uint8_t* data,
                uint16_t length, unsigned) override {
        if (bus_.failAfter == 0) return -4;  // no device
        if (bus_.failAfter > 0) --bus_.failAfter;
        Transfer transfer{requestType, request, value, index, {}, address_};
        if (requestType & 0x80) {
            for (uint16_t i = 0; i < length && i < bus_.reply.size(); ++i)
                data[i] = bus_.reply[i];
            transfer.data.assign(length, 0);
        } else {
            transfer.data.assign(data, data + length);
        }
        bus_.transfers.push_back(transfer);
        if (bus_.afterTransfer) bus_.afterTransfer(transfer);
        if (value == 0xE600 && transfer.data == std::vector<uint8_t>{0}) return bus_.cpuStartResult;
        return length - bus_.shortBy;
    }

private:
    FakeBus& bus_;
    uint8_t address_;
};

class FakeTransport : public UsbTransport {
public:
    explicit FakeTransport(FakeBus& bus) : bus_(bus) {}
    std::vector<BusDevice> devices() override { return bus_.devices; }
    std::unique_ptr<UsbDevice> open(std::size_t position) override {
        if (bus_.opensFail || position >= bus_.devices.size()) return nullptr;
        return std::make_unique<FakeDevice>(bus_, bus_.devices[position].address);
    }
    std::string serial(std::size_t position) override { return lookUp(bus_.serials, position); }
    std::string holder(std::size_t position) override { return lookUp(bus_.held, position); }

private:
    std::string lookUp(const std::map<uint8_t, std::string>& byAddress, std::size_t position) {
        const auto found = byAddress.find(bus_.devices.at(position).address);
        return found != byAddress.end() ? found->second : "";
    }
    FakeBus& bus_;
};
