#pragma once
// Reading and writing whole result files: the status codes, the section loop every result reader shares,
// and the summary readers.
#include <cstdint>
#include <functional>
#include <vector>

#include "common/PFile.h"
#include "common/ResultSummary.h"
#include "common/Status.h"
#include "serialization/ISerializable.h"

namespace Kestrix {

enum class ResultReaderStatus : int32_t {
    success = 0,
    wrongResultType = 1,
    unsupportedVersion = 2,
    badData = 3,
    badContainer = 4,
};

enum class ResultWriterStatus : int32_t { success = 0, failed = 1 };

const char* toString(ResultReaderStatus s);

// 0 -> success, -5 -> unsupportedVersion, other failures -> badData.
ResultReaderStatus mapReadStatus(Marshal::StreamOpStatus status);

// Opens `buffer` as a container (length checked) and hands each following section, decompressed, to
// `handle` until the end. A section that cannot be read, or has no payload, gives badContainer. The
// first non-success result of `handle` ends the loop and is returned.
using SectionHandler = std::function<ResultReaderStatus(const PFile::Section&)>;
ResultReaderStatus readResultSections(const uint8_t* buffer, uint32_t size, const SectionHandler& handle);

// Deserializes one object from a section's (decompressed) payload and maps the status.
ResultReaderStatus readSectionObject(const PFile::Section& section, Marshal::ISerializable& object);

// Reads the summary section into `summary` and checks its type; the dispatch step every reader shares.
ResultReaderStatus readSummarySection(const PFile::Section& section, ResultSummary& summary, ResultType expected);

ResultReaderStatus readResultSummary(ResultSummary& summary, const uint8_t* buffer, uint32_t size);
ResultReaderStatus readResultType(ResultType& type, const uint8_t* buffer, uint32_t size);

// The object's bytes: sized with a ByteStreamCounter, then written once into a reserved ByteStreamBuilder.
std::vector<uint8_t> serializeToBytes(const Marshal::ISerializable& object);

// Section of a result file: the object's bytes, compressed at zlib level 1.
int32_t setResultSection(PFile::Section& section, uint16_t type, uint16_t version,
                         const Marshal::ISerializable& object);

}  // namespace Kestrix
