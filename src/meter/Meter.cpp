#include "meter/Meter.h"

#include <array>
#include <charconv>
#include <cmath>

#include "command/NumberReading.h"

namespace {

// The shortest text that reads back as value, whatever the locale.
std::string number(double value) {
    std::array<char, 32> text{};
    return {text.data(), std::to_chars(text.data(), text.data() + text.size(), value).ptr};
}

// The link a resource's bus takes.
std::unique_ptr<MeterLink> linkTo(const MeterResource& resource, std::chrono::milliseconds timeout,
                                  const WaitCheck& check) {
    if (resource.bus == MeterBus::Socket) return socketLink(resource, timeout, check);
    if (resource.bus == MeterBus::Vxi11) return lxiLink(resource, timeout);
    return deviceLink(resource);
}

}  // namespace

std::optional<std::string> meterSettingsProblem(const MeterSettings& s) {
    if (!(s.rangeVolts > 0 && s.rangeVolts <= 1000)) return "the meter's range is 0 to 1000 V";
    if (!(s.nplc >= 0.001 && s.nplc <= 1000))
        return "the meter's integration time is 0.001 to 1000 power-line cycles";
    if (s.accuracy && !(s.accuracy->ppmOfReading >= 0 && s.accuracy->ppmOfReading <= 100000 &&
                        s.accuracy->ppmOfRange >= 0 && s.accuracy->ppmOfRange <= 100000)) {
        return "the meter's accuracy is two numbers of ppm, 0 to 100000";
    }
    return std::nullopt;
}

Meter::Meter(const MeterSettings& settings, WaitCheck check)
    : settings_(settings), check_(std::move(check)) {
    std::string problem;
    const auto resource = parseMeterResource(settings.resource, problem);
    if (!resource) throw MeterError(problem);
    try {
        link_ = linkTo(*resource, settings.timeout, check_);
    } catch (const MeterError& e) {
        fail("connecting", e.what());
    }
    identity_ = ask("*IDN?", "identifying it (*IDN?)");
    if (identity_.empty()) fail("identifying it (*IDN?)", "an empty identity");
    tell("*CLS", "clearing its status");
    tell("CONF:VOLT:DC " + number(settings.rangeVolts), "setting the range");
    tell("VOLT:DC:NPLC " + number(settings.nplc), "setting the integration time");
    tell(std::string("VOLT:DC:ZERO:AUTO ") + (settings.autoZero ? "ON" : "OFF"),
         "setting auto-zero");
    const std::string error = ask("SYST:ERR?", "checking its errors (SYSTem:ERRor?)");
    if (!error.starts_with("+0") && !error.starts_with("0")) {
        fail("setting up the measurement", "it reports " + error);
    }
}

void Meter::fail(const char* step, const std::string& why) const {
    const std::string who = identity_.empty() ? settings_.resource : identity_;
    throw MeterError("meter " + who + ", " + step + ": " + why);
}

void Meter::tell(const std::string& command, const char* step) {
    try {
        link_->send(command);
    } catch (const MeterError& e) {
        fail(step, e.what());
    }
}

std::string Meter::ask(const std::string& query, const char* step) {
    tell(query, step);
    try {
        return link_->receive(settings_.timeout, check_);
    } catch (const MeterError& e) {
        fail(step, e.what());
    }
}

double Meter::readVolts() {
    const std::string answer = ask("READ?", "reading (READ?)");
    const auto volts = readStrictDecimal(answer);
    if (!volts || !(std::abs(*volts) <= kLargestReading)) {
        fail("reading (READ?)", "\"" + answer.substr(0, 40) + "\" is not a reading of volts");
    }
    return *volts;
}
