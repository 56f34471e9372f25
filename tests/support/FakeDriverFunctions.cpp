#include "FakeDriverFunctions.h"

#include <cstring>
#include <stdexcept>

#include "driver_abi/DriverAbi.h"

FakeDriverState& fakeDriver() {
    static FakeDriverState state;
    return state;
}

static int16_t nextLoadResult() {
    auto& results = fakeDriver().downloadResults;
    if (results.empty()) return 0;
    const int result = results.front();
    results.erase(results.begin());
    return static_cast<int16_t>(result);
}

static std::array<uint8_t, 4> peek(const uint8_t* buffer, int64_t length) {
    std::array<uint8_t, 4> bytes{};
    if (buffer != nullptr) std::memcpy(bytes.data(), buffer, length > 0 ? 4 : 1);
    return bytes;
}

static int16_t answer(uint8_t* buffer, int64_t direction) {
    const FakeDriverState& s = fakeDriver();
    if (direction == 1 && (s.requestResult == 0 || s.replyOnFailure)) {
        std::memcpy(buffer, s.reply.data(), s.reply.size());
    }
    return s.requestResult;
}

static int searchForBoards(uint32_t vendor, uint32_t product, int32_t* out, uint8_t* list) {
    fakeDriver().calls.push_back({"Search_For_Boards", {vendor, product, *out, list[0]}, "", {}});
    list[0] = 7;
    return 1;
}

static int connectBoard(uint32_t vendor, uint32_t product, uint8_t board, int32_t* handle) {
    fakeDriver().calls.push_back({"Connect", {vendor, product, board}, "", {}});
    *handle = fakeDriver().nextHandle++;
    return 0;
}

static int16_t downloadFirmware(int32_t handle, const char* path) {
    fakeDriver().calls.push_back({"Download_Firmware", {handle}, path, {}});
    return nextLoadResult();
}

static int16_t vendorRequest(int32_t handle, uint8_t code, int32_t value, int32_t index,
                             uint8_t direction, int32_t length, uint8_t* buffer) {
    fakeDriver().calls.push_back({"Vendor_Request",
                                  {handle, code, value, index, direction, length},
                                  "",
                                  peek(buffer, length)});
    return answer(buffer, direction);
}

static short loadFirmWare(char* path) {
    fakeDriver().calls.push_back({"LoadFirmWare", {}, path, {}});
    return nextLoadResult();
}

static short vendorIORequest(short code, int value, int index, short direction, short length,
                             unsigned char* buffer) {
    fakeDriver().calls.push_back(
        {"VendorIORequest", {code, value, index, direction, length}, "", peek(buffer, length)});
    return answer(buffer, direction);
}

template <typename Fn>
static void* asBound(Fn* function) {
    return reinterpret_cast<void*>(function);
}

FakeDriverResolver::FakeDriverResolver() {
    fakeDriver() = FakeDriverState{};
}

void* FakeDriverResolver::resolve(const char* name) {
    ++fakeDriver().lookups[name];
    // Each stand-in converts to exactly the type the program binds.
    const std::map<std::string, void*> table = {
        {driver_abi::kSearchForBoards, asBound<driver_abi::SearchForBoardsFn>(&searchForBoards)},
        {driver_abi::kConnect, asBound<driver_abi::ConnectFn>(&connectBoard)},
        {driver_abi::kDownloadFirmware, asBound<driver_abi::DownloadFirmwareFn>(&downloadFirmware)},
        {driver_abi::kVendorRequest, asBound<driver_abi::VendorRequestFn>(&vendorRequest)},
        {driver_abi::kLoadFirmWare, asBound<driver_abi::LoadFirmWareFn>(&loadFirmWare)},
        {driver_abi::kVendorIORequest, asBound<driver_abi::VendorIORequestFn>(&vendorIORequest)},
    };
    const auto found = table.find(name);
    if (found == table.end()) throw std::logic_error(std::string("no stand-in for ") + name);
    return found->second;
}
