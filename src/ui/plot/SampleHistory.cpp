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

std::string SampleHistory::csv(const Provenance& provenance) const {
    std::string text = provenanceComment(provenance) + kSampleColumns + "\n";
    for (const Sample& s : samples_)
        text += joined(sampleFields(s.time, s.input, s.count, s.volts), ",") + "\n";
    return text;
}
