// Any bytes as a USB capture for varcelctl link learn: the reader and the
// solver must neither crash nor claim more than the capture holds.
#include "device/capture_reader.h"
#include "device/link_learn.h"

#include <cstdio>
#include <cstdlib>

namespace {

// Counts what the reader hands on, then passes it to the learner.
class CountingLearner : public varcel::LinkLearner {
public:
    void featureReport(const varcel::CaptureFeatureReport& report) override
    {
        ++reports;
        varcel::LinkLearner::featureReport(report);
    }
    std::size_t reports = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    std::FILE* file = ::fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (!file)
        return 0;
    CountingLearner learner;
    const varcel::CaptureReadResult read = varcel::readCapture(file, learner);
    // Every report comes from a packet: a SET in its request, a GET in its answer.
    if (learner.reports > read.packets)
        std::abort();
    const varcel::LinkLearnResult result = learner.solve();
    if (result.agreeing > result.scrambled || result.scrambled + result.plain > learner.reports)
        std::abort();
    if (result.outcome == varcel::LinkLearnResult::Outcome::Learned && result.agreeing == 0)
        std::abort();
    return 0;
}
