// Fiber sample files: a loss/length result and bare fiber objects.
#include <stdexcept>

#include "SampleRegistry.h"
#include "common/ResultEnvelope.h"
#include "fiber/FiberBuilders.h"
#include "fiber/FiberResultReader.h"
#include "fiber/FiberResultWriter.h"

namespace {

// Written here and read back, so that a sample never holds a file the reader would refuse.
std::vector<uint8_t> lossLengthFile() {
    std::vector<uint8_t> bytes;
    if (Kestrix::FiberResultWriter::writeResult(kx::test::lossLengthResult(), bytes) !=
        Kestrix::ResultWriterStatus::success)
        throw std::runtime_error("cannot write the loss/length sample");
    Kestrix::FiberResult back;
    if (Kestrix::FiberResultReader::readResult(back, bytes.data(), static_cast<uint32_t>(bytes.size())) !=
        Kestrix::ResultReaderStatus::success)
        throw std::runtime_error("the loss/length sample does not read back");
    return bytes;
}

const kx::samples::SampleRegistration lossLength("fiber-losslength.result", lossLengthFile);
const kx::samples::SampleRegistration fiber("fiber-om3.bin",
                                            [] { return Kestrix::serializeToBytes(kx::test::multimodeFiber()); });
const kx::samples::SampleRegistration limit("fiberlimit-tia-mm.bin",
                                            [] { return Kestrix::serializeToBytes(kx::test::lossLengthLimit()); });

}  // namespace
