#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "board/BoardRequest.h"
#include "board/Dialogs.h"
#include "board/DriverLibrary.h"

// The board actions, one vendor request each. A request that fails shows the "error" box
// and the caller goes on as if it had succeeded.
// "request 0xDE (value 0x3E19, index 0x8000) failed with result -1"
std::string describeFailure(const BoardRequest& request, int16_t result);

class Declare {
public:
    Declare(DriverLibrary& driver, Dialogs& dialogs);

    // The chip's bus address, fixed once at start-up by the package choice.
    void setDeviceAddress(uint16_t address) { deviceAddress_ = address; }
    uint16_t DeviceAddress() const { return deviceAddress_; }

    void WriteDacWord(int32_t commandWord);
    void SelectMuxChannel(uint16_t mask);
    void ConfigureAdc(uint16_t value, uint16_t index);
    int32_t ReadAdc();
    void SetClrPin(bool level);
    void SetLdacPin(bool level);

    // The input the board's ADC measures: the one the last multiplexer request selected,
    // whoever sent it (0 = A ... 7 = H).
    int measuredInput() const { return measuredInput_; }

    // When set, a failed request is reported here instead of by the "error" box: a program
    // without windows says which request failed.
    std::function<void(const BoardRequest& request, int16_t result)> onFailure;

    // While one lives, only the first failed request shows its box: a run of many requests
    // against a lost board reports it once and goes on.
    class FirstFailureOnly {
    public:
        explicit FirstFailureOnly(Declare& requests) : requests_(requests) {
            requests_.run_ = Run::Quiet;
        }
        ~FirstFailureOnly() { requests_.run_ = Run::None; }
        FirstFailureOnly(const FirstFailureOnly&) = delete;
        FirstFailureOnly& operator=(const FirstFailureOnly&) = delete;

    private:
        Declare& requests_;
    };

private:
    enum class Run { None, Quiet, Reported };

    void toBoard(int code, int32_t value, int32_t index);
    void issue(const BoardRequest& request);

    DriverLibrary& driver_;
    Dialogs& dialogs_;
    uint16_t deviceAddress_ = 0;
    int measuredInput_ = 0;
    Run run_ = Run::None;
};
