#include "copper/CopperResultWriter.h"

#include <algorithm>
#include <limits>

#include "serialization/TypeIds.h"

namespace Kestrix {

ResultWriterStatus CopperResultWriter::writeResultBuffer(uint8_t* buffer, uint32_t capacity, uint32_t& written,
                                                         const CopperResult& result) {
    PFile::MemWriter writer;
    const auto cap = static_cast<int32_t>(std::min<uint32_t>(capacity, std::numeric_limits<int32_t>::max()));
    if (writer.open(buffer, cap) != 0) {
        writer.close();
        return ResultWriterStatus::failed;
    }
    const auto put = [&writer](uint16_t type, uint16_t version, const Marshal::ISerializable& object) {
        PFile::Section section;
        return setResultSection(section, type, version, object) == 0 && writer.write(section) == 0;
    };
    bool ok = put(PFile::SectionType::ResultSummary, 1, result.summary);
    if (ok && result.test) {
        const CopperTest& test = *result.test;
        ok = put(PFile::SectionType::CopperTestBody, Marshal::TypeIds::CopperTest.version, test.body);
        if (ok && test.hasPlotsToStore()) ok = put(PFile::SectionType::CopperPlots, 0, test.plots);
        if (ok && test.hasRawDataToStore()) ok = put(PFile::SectionType::CopperRawData, 0, test.rawData);
    }
    if (!ok) {
        writer.close();
        return ResultWriterStatus::failed;
    }
    if (writer.close() != 0) return ResultWriterStatus::failed;
    written = writer.length();
    return ResultWriterStatus::success;
}

std::vector<uint8_t> CopperResultWriter::writeResult(const CopperResult& result) {
    // Compressed sections are never much larger than their payloads; grow once if the guess is short.
    uint32_t capacity = 4096;
    if (result.test) capacity += static_cast<uint32_t>(serializeToBytes(*result.test).size()) * 2;
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::vector<uint8_t> out(capacity);
        uint32_t written = 0;
        if (writeResultBuffer(out.data(), capacity, written, result) == ResultWriterStatus::success) {
            out.resize(written);
            return out;
        }
        capacity *= 4;
    }
    return {};
}

}  // namespace Kestrix
