#include "ui/plot/SampleHistory.h"

#include "measure/ResultTables.h"

std::size_t SampleHistory::add(const Sample& sample) {
    samples_.push_back(sample);
    std::size_t forgotten = 0;
    while (samples_.front().time < sample.time - kSpan) {
        samples_.pop_front();
        ++forgotten;
    }
    return forgotten;
}

// The times count from the oldest sample kept.
std::string SampleHistory::csv(Provenance provenance) const {
    const Clock::time_point start = samples_.empty() ? provenance.time : samples_.front().time;
    provenance.settings = sampleColumnSettings(start);
    std::string text = provenanceComment(provenance) + kSampleColumns + "\n";
    for (const Sample& s : samples_)
        text += joined(sampleFields(s.time, start, s.input, s.count, s.volts), ",") + "\n";
    return text;
}
