// `kestrix dump` and `kestrix csv` of fiber result files, and the bare fiber objects of the loss/length side
// (fibers, limits, settings and tests). OTDR and image classes register from DumpFiberOtdr.cpp.
#include <ostream>
#include <string>

#include <sstream>

#include "Command.h"
#include "CommandTable.h"
#include "DumpRegistry.h"
#include "fiber/FiberLossLengthTest.h"
#include "fiber/FiberPowerMeterTest.h"
#include "fiber/FiberRawCsv.h"
#include "fiber/FiberResultReader.h"

namespace {

using Kestrix::FiberResult;

FiberResult readFiberResult(const std::vector<uint8_t>& bytes) {
    FiberResult result;
    const auto st = Kestrix::FiberResultReader::readResult(result, bytes.data(), static_cast<uint32_t>(bytes.size()));
    if (st != Kestrix::ResultReaderStatus::success)
        throw kx::cli::BadInput(std::string("cannot read the fiber result: ") + Kestrix::toString(st));
    return result;
}

const char* csvFailureText(Kestrix::FiberRawCsvStatus st) {
    switch (st) {
        case Kestrix::FiberRawCsvStatus::cannotOpen: return "cannot open the CSV file for writing";
        case Kestrix::FiberRawCsvStatus::unsupportedImageFormat: return "a test image has an unknown format";
        case Kestrix::FiberRawCsvStatus::noImageTest: return "the fiber result has no image test";
        default: return "raw-data export failed";
    }
}

}  // namespace

namespace kx::cli {

void registerFiberDumpers() {
    registerResultPrinter(Kestrix::ResultType::FIBER,
                          [](const std::vector<uint8_t>& bytes, const DumpOptions& opts, std::ostream& out) {
                              const FiberResult result = readFiberResult(bytes);
                              printModel(result, &result, opts, out);
                          });

    registerCsvExporter(Kestrix::ResultType::FIBER, [](const std::vector<uint8_t>& bytes) {
        const FiberResult result = readFiberResult(bytes);
        std::ostringstream csv;
        if (const auto st = Kestrix::fiberToRawCsv(csv, result); st != Kestrix::FiberRawCsvStatus::written)
            throw BadInput(csvFailureText(st));
        return csv.str();
    });

    registerBareObject<Kestrix::Fiber>("Fiber", Marshal::TypeIds::Fiber);
    registerBareObject<Kestrix::FiberLimit>("FiberLimit", Marshal::TypeIds::FiberLimit);
    registerBareObject<Kestrix::FiberLossLengthSettings>("FiberLossLengthSettings",
                                                         Marshal::TypeIds::FiberLossLengthSettings);
    registerBareObject<Kestrix::FiberLossLengthTest>("FiberLossLengthTest", Marshal::TypeIds::FiberLossLengthTest);
    registerBareObject<Kestrix::FiberPowerMeterTest>("FiberPowerMeterTest", Marshal::TypeIds::FiberPowerMeterTest);
    registerBareObject<Kestrix::FiberTestSummary>("FiberTestSummary", Marshal::TypeIds::FiberTestSummary);
}

}  // namespace kx::cli
