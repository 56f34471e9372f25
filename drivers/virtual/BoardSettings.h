#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "OutputStage.h"
#include "VirtualMeter.h"

// How the virtual board is set up for a test or a demonstration, from a comma-separated list:
//   absent            no board is plugged in
//   lfcsp             the 10-lead package is fitted, so the chip answers at bus address 30
//   unplug-after=N    the board is unplugged after N requests
//   noise=N           each ADC reading is off by up to N counts
//   stuck=C:CODE      output C (A to D) stays at CODE (decimal or 0x hex) whatever is written
//   trace-times       each trace line starts with the time of the call, in seconds
//   held-by=PID       another program, process PID, has the board open: openings fail
// and the analog errors of a real part and board, for characterisation (none: an ideal DAC
// read by an ideal ADC):
//   offset=C:MV       output C's offset, in millivolts
//   gain=C:PCT        output C's gain error, in percent of full scale
//   inl=C:LSB         a bow on output C, zero at both ends, peaking at LSB DAC steps at mid scale
//   dnl=C:CODE:LSB    from CODE up, output C lies LSB DAC steps higher (below -1: it falls at CODE)
//   sigma=S           Gaussian noise of S ADC counts (standard deviation) on every reading
//   seed=N            the seed of the reading noise, so a noisy run can be repeated
// and the board ADC's own (none: an ideal converter of a 3.0 V reference):
//   adc-offset=COUNTS      every reading offset by COUNTS, before the converter rounds
//   adc-gain=PCT           the converter's gain off by PCT percent of full scale
//   adc-inl=COUNTS         a bow, zero at both ends, peaking at COUNTS at mid scale
//   adc-dnl=COUNT:COUNTS   the transition into COUNT moved by COUNTS (under one); repeatable
//   adc-vref=V             the converter's true reference, whatever the program is told
// and a digital multimeter wired to one output (none unless meter= is given):
//   meter=PORT             served on 127.0.0.1:PORT while the board is set up so
//   probe=C                the output it reads (default C)
//   meter-sigma=UV         Gaussian noise of its readings, in microvolts
//   meter-offset=UV        its offset, in microvolts
//   meter-gain=PPM         its gain error, in ppm of the reading
//   meter-ms=MS            the time each reading takes
//   meter-stop-after=N     it goes away after N readings

struct BoardSettings {
    bool present = true;
    bool lfcsp = false;
    std::optional<uint64_t> unplugAfter;
    int noise = 0;
    std::optional<int> stuckChannel;
    uint16_t stuckCode = 0;
    bool traceTimes = false;
    std::optional<int> heldBy;
    std::array<OutputErrors, 4> outputs;
    AdcErrors adc;
    double sigmaCounts = 0;
    uint32_t seed = 4830;
    MeterErrors meter;  // port 0: no meter
};

// The settings, or an explanation of the first entry that cannot be understood.
struct ParsedSettings {
    BoardSettings settings;
    std::string error;
};

ParsedSettings parseBoardSettings(std::string_view text);
