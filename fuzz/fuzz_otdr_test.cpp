// The sections of an OTDR test (body, plots, raw data, one after the other) and of an image test (body,
// picture) from arbitrary bytes; what reads must print and answer every query.
#include <cstddef>
#include <cstdint>

#include "fiber/FiberImageTest.h"
#include "fiber/FiberOtdrBidiAvg.h"
#include "fiber/FiberSr4731.h"
#include "fiber/SorWriter.h"
#include "serialization/ByteStreamReader.h"
#include "serialization/JsonText.h"
#include "serialization/ReadObject.h"

namespace {
void exercise(const Kestrix::FiberOtdrTest& test) {
    (void)Dump::toJsonString(test, Dump::DumpFlags{2}, true);
    (void)Dump::dumpToString(test);
    for (const auto& plot : test.plots.plots) {
        Kestrix::FiberSr4731 view(test, plot.wavelength);
        (void)view.getUpperBound();
        (void)view.getEndMarker();
        (void)view.getAcqOffset();
        for (uint32_t j = 0; j < 4; ++j) (void)view.getPoint(j);
        (void)plot.getMaxDb(0, 0xFFFFFFFFu);
        (void)plot.getLength(10.0f);
    }
    for (uint16_t wl : test.eventTable.getWavelengths()) Kestrix::FiberSr4731(test, wl).getEndMarker();
    for (uint16_t wl : Kestrix::sorWavelengths(test)) (void)Kestrix::writeSor(test, wl, "cable");
    // The merge of the test with a mirror of itself must fail or succeed, never stop.
    Kestrix::FiberOtdrTest other = test;
    other.summary.cableEnd =
        test.summary.cableEnd == Kestrix::CableEnd::end1 ? Kestrix::CableEnd::end2 : Kestrix::CableEnd::end1;
    (void)Kestrix::createBidiTest(test, other, 0);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > Marshal::kMaxStreamSize) return 0;
    {
        Marshal::ByteStreamReader r(data, static_cast<uint32_t>(size));
        Kestrix::FiberOtdrTest test;
        const bool body = test.deserializeBody(r) == Marshal::ok;
        const bool plots = body && test.deserializePlots(r) == Marshal::ok;
        if (plots) (void)test.deserializeRawData(r);
        if (body) exercise(test);
    }
    {
        Marshal::ByteStreamReader r(data, static_cast<uint32_t>(size));
        Kestrix::FiberImageTest image;
        if (image.deserializeBody(r) == Marshal::ok) {
            (void)image.image.deserialize(r);
            (void)Dump::toJsonString(image, Dump::DumpFlags{2}, true);
        }
    }
    {
        Marshal::ByteStreamReader r(data, static_cast<uint32_t>(size));
        Kestrix::FiberOtdrTest whole;
        if (whole.deserialize(r) == Marshal::ok) exercise(whole);
    }
    return 0;
}
