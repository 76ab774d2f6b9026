#include "common/ResultEnvelope.h"

#include "serialization/ByteStreamBuilder.h"
#include "serialization/ByteStreamCounter.h"
#include "serialization/ReadObject.h"

namespace Kestrix {

const char* toString(ResultReaderStatus s) {
    switch (s) {
        case ResultReaderStatus::success: return "success";
        case ResultReaderStatus::wrongResultType: return "wrong result type";
        case ResultReaderStatus::unsupportedVersion: return "unsupported version";
        case ResultReaderStatus::badData: return "bad data";
        case ResultReaderStatus::badContainer: return "bad container";
    }
    return "unknown";
}

ResultReaderStatus mapReadStatus(Marshal::StreamOpStatus status) {
    switch (status) {
        case Marshal::ok: return ResultReaderStatus::success;
        case Marshal::versionTooNew: return ResultReaderStatus::unsupportedVersion;
        case Marshal::headerVersionTooNew:
        case Marshal::sizeMismatch:
        case Marshal::readError:
        case Marshal::badMagic:
        case Marshal::invalidData: return ResultReaderStatus::badData;
    }
    return ResultReaderStatus::badContainer;
}

ResultReaderStatus readResultSections(const uint8_t* buffer, uint32_t size, const SectionHandler& handle) {
    if (buffer == nullptr) return ResultReaderStatus::badContainer;
    PFile::MemReader reader;
    if (reader.open({buffer, size}) != 0) return ResultReaderStatus::badContainer;
    for (;;) {
        PFile::Section section;
        const int32_t rc = reader.read(section, true);
        if (rc == -2) return ResultReaderStatus::success;
        if (rc != 0) return ResultReaderStatus::badContainer;
        if (section.data() == nullptr || section.size() == 0) return ResultReaderStatus::badContainer;
        if (auto st = handle(section); st != ResultReaderStatus::success) return st;
    }
}

ResultReaderStatus readSectionObject(const PFile::Section& section, Marshal::ISerializable& object) {
    const auto read = Marshal::readObject({section.data(), section.size()}, object);
    if (read.fault != Marshal::SpanFault::none) return ResultReaderStatus::badContainer;
    return mapReadStatus(read.status);
}

ResultReaderStatus readSummarySection(const PFile::Section& section, ResultSummary& summary, ResultType expected) {
    const auto st = readSectionObject(section, summary);
    if (st == ResultReaderStatus::success && summary.resultType != expected) return ResultReaderStatus::wrongResultType;
    return st;
}

ResultReaderStatus readResultSummary(ResultSummary& summary, const uint8_t* buffer, uint32_t size) {
    if (buffer == nullptr) return ResultReaderStatus::badContainer;
    PFile::MemReader reader;
    if (reader.quickOpen({buffer, size}) != 0) return ResultReaderStatus::badContainer;
    PFile::Section section;
    if (reader.read(section, true) != 0 || section.type() != PFile::SectionType::ResultSummary)
        return ResultReaderStatus::badContainer;
    return readSectionObject(section, summary);
}

ResultReaderStatus readResultType(ResultType& type, const uint8_t* buffer, uint32_t size) {
    ResultSummary summary;
    const auto st = readResultSummary(summary, buffer, size);
    if (st == ResultReaderStatus::success) type = summary.resultType;
    return st;
}

std::vector<uint8_t> serializeToBytes(const Marshal::ISerializable& object) {
    Marshal::ByteStreamCounter counter;
    object.serialize(counter);
    Marshal::ByteStreamBuilder builder(static_cast<uint32_t>(counter.size()));
    object.serialize(builder);
    return builder.bytes();
}

int32_t setResultSection(PFile::Section& section, uint16_t type, uint16_t version,
                         const Marshal::ISerializable& object) {
    return section.setCopy(type, version, PFile::SECTION_FLAG_COMPRESSED, serializeToBytes(object), 1);
}

}  // namespace Kestrix
