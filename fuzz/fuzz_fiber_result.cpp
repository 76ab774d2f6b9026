// FiberResultReader::readResult over arbitrary bytes. A result that reads cleanly is also printed at every
// detail level, dumped and written back: all must cope with whatever was stored.
#include <cstddef>
#include <cstdint>
#include <sstream>

#include "fiber/FiberRawCsv.h"
#include "fiber/FiberResultReader.h"
#include "fiber/FiberResultWriter.h"
#include "serialization/JsonText.h"
#include "serialization/ReadObject.h"
#include "serialization/SimpleFormatter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > Marshal::kMaxStreamSize) return 0;
    Kestrix::FiberResult result;
    if (Kestrix::FiberResultReader::readResult(result, data, static_cast<uint32_t>(size)) !=
        Kestrix::ResultReaderStatus::success)
        return 0;
    for (uint32_t detail = 0; detail <= 2; ++detail) {
        Dump::toJsonString(result, Dump::DumpFlags{detail}, true);
        std::ostringstream text;
        Dump::SimpleFormatter f(&text);
        result.dump(f, Dump::DumpFlags{detail});
    }
    std::ostringstream csv;
    Kestrix::fiberToRawCsv(csv, result);
    std::vector<uint8_t> again;
    Kestrix::FiberResultWriter::writeResult(result, again);
    return 0;
}
