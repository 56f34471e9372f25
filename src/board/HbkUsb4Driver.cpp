#include "board/HbkUsb4Driver.h"

#include <array>

HbkUsb4Driver::HbkUsb4Driver(FunctionResolver& library, uint32_t vendorId, uint32_t productId)
    : vendorId_(vendorId),
      productId_(productId),
      searchForBoards_(library, driver_abi::kSearchForBoards),
      connect_(library, driver_abi::kConnect),
      downloadFirmware_(library, driver_abi::kDownloadFirmware),
      vendorRequest_(library, driver_abi::kVendorRequest) {}

bool HbkUsb4Driver::attemptOpen(const std::string& path, FirmwarePathBytes& pathBytes) {
    return OpenBoard(path, pathBytes) == 0;
}

int16_t HbkUsb4Driver::OpenBoard(const std::string& path, FirmwarePathBytes& pathBytes) {
    // Fresh on every attempt. The results of the search and the connect are not examined:
    // an absent board shows up in the download's result.
    std::array<uint8_t, driver_abi::kBoardListSize> boardList{};
    int32_t searchOut = 0;
    searchForBoards_(vendorId_, productId_, &searchOut, boardList.data());
    connect_(vendorId_, productId_, boardList[0], &boardHandle_);
    pathBytes.SetFirmwarePath(path);
    return downloadFirmware_(boardHandle_, pathBytes.data());
}

int16_t HbkUsb4Driver::request(const BoardRequest& r) {
    return vendorRequest_(boardHandle_, static_cast<uint8_t>(r.code), r.value, r.index,
                          static_cast<uint8_t>(r.direction), static_cast<int32_t>(r.length),
                          r.buffer);
}
