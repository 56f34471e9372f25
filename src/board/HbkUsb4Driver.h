#pragma once

#include <cstdint>
#include <string>

#include "board/DriverLibrary.h"
#include "board/LazyLibrary.h"
#include "driver_abi/DriverAbi.h"

// Variant A: the library searches for the board, connects to it and hands out a handle, then
// downloads the firmware through that handle. Every request passes the handle first.
class HbkUsb4Driver : public DriverLibrary {
public:
    HbkUsb4Driver(FunctionResolver& library, uint32_t vendorId, uint32_t productId);

    bool attemptOpen(const std::string& path, FirmwarePathBytes& pathBytes) override;
    int16_t request(const BoardRequest& request) override;

    // Searches, connects, sets the firmware path and downloads; the download's result.
    int16_t OpenBoard(const std::string& path, FirmwarePathBytes& pathBytes);

    int32_t BoardHandle() const { return boardHandle_; }

private:
    uint32_t vendorId_;
    uint32_t productId_;
    int32_t boardHandle_ = 0;
    LazyFunction<driver_abi::SearchForBoardsFn> searchForBoards_;
    LazyFunction<driver_abi::ConnectFn> connect_;
    LazyFunction<driver_abi::DownloadFirmwareFn> downloadFirmware_;
    LazyFunction<driver_abi::VendorRequestFn> vendorRequest_;
};
