#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "board/BoardRequest.h"
#include "board/DriverLibrary.h"
#include "board/FailurePolicy.h"

// The board actions, one vendor request each. None checks that the board is open or keeps
// state between calls (the chip's bus address aside). A request the board refuses goes to the
// failure policy in force, and the caller goes on as if it had succeeded.
class Declare {
public:
    // policy: what happens to a refused request whenever no PolicyScope says otherwise.
    Declare(DriverLibrary& driver, FailurePolicy& policy);

    // The chip's bus address, fixed once at start-up by the package choice.
    void setDeviceAddress(uint16_t address) { deviceAddress_ = address; }
    uint16_t DeviceAddress() const { return deviceAddress_; }

    void WriteDacWord(int32_t commandWord);
    void SelectMuxChannel(uint16_t mask);
    void ConfigureAdc(uint16_t value, uint16_t index);
    int32_t ReadAdc();
    void SetClrPin(bool level);
    void SetLdacPin(bool level);

    // Told of every request the board took, in order; an empty one: nobody is.
    void watch(std::function<void(const BoardRequest&)> watcher) { watcher_ = std::move(watcher); }

    // The input the board's ADC measures: the one the last multiplexer request selected,
    // whoever sent it (0 = A ... 7 = H).
    int measuredInput() const { return measuredInput_; }

    // For as long as one lives, refused requests go to its policy: the newest scope alive
    // decides. Scopes may end in any order.
    class PolicyScope {
    public:
        PolicyScope(Declare& requests, FailurePolicy& policy);
        ~PolicyScope();
        PolicyScope(const PolicyScope&) = delete;
        PolicyScope& operator=(const PolicyScope&) = delete;

    private:
        Declare& requests_;
        FailurePolicy& policy_;
    };

private:
    void toBoard(int code, int32_t value, int32_t index);
    void issue(const BoardRequest& request);

    DriverLibrary& driver_;
    std::vector<FailurePolicy*> policies_;  // the one given at construction first
    std::function<void(const BoardRequest&)> watcher_;
    uint16_t deviceAddress_ = 0;
    int measuredInput_ = 0;
};
