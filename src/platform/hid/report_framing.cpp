#include "platform/hid/report_framing.h"

namespace kestrion {

std::vector<std::uint8_t> frameOutputReport(HidBackend backend, OutputPath route, const std::uint8_t* report,
                                            std::size_t length)
{
    std::vector<std::uint8_t> frame;
    frame.reserve(length + 1);
    if (backend == HidBackend::Virtual)
        frame.push_back(route == OutputPath::Control ? kVirtualSetOutputReport : kVirtualOutputReport);
    frame.insert(frame.end(), report, report + length);
    return frame;
}

std::size_t outputFrameOverhead(HidBackend backend)
{
    return backend == HidBackend::Virtual ? 1 : 0;
}

bool unframeInputReport(HidBackend backend, bool numbered, const std::uint8_t* unit, std::size_t size,
                        std::vector<std::uint8_t>& report)
{
    report.clear();
    if (backend == HidBackend::Virtual) {
        if (size < 2 || unit[0] != kVirtualInputReport)
            return false;
        report.assign(unit + 1, unit + size);
        return true;
    }
    if (size == 0)
        return false;
    if (!numbered)
        report.push_back(0);
    report.insert(report.end(), unit, unit + size);
    return true;
}

}  // namespace kestrion
