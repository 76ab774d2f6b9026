#pragma once
// A copper result file in memory: the result summary and its one copper test.
#include <cstdint>
#include <memory>

#include "common/ResultSummary.h"
#include "copper/CopperTest.h"
#include "serialization/IDumpable.h"

namespace Kestrix {

class CopperResult : public Dump::IDumpable, public Dump::IJsonable {
public:
    static constexpr uint32_t kMergeRefused = 0x200;

    // Stores the test and fills the summary from it; refused (kMergeRefused, nothing changed) when a test
    // is held already and `replace` is false. 0 on success.
    uint32_t mergeCopperTest(const CopperTestPtr& test, bool replace);

    const ResultSummary& getSummary() const { return summary; }
    const CopperTestPtr& getCopperTest() const { return test; }
    bool hasCopperTest() const { return test != nullptr; }

    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    // {"CopperResult": {"summary": ..., "copperTest": ...}}
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    ResultSummary summary;
    CopperTestPtr test;
};

// Writes the raw data of the result's test as CSV. 0 written; 2 the file cannot be opened; 3 no raw plot
// can be shown; 4 no raw data; 5 no test. The reason is printed on standard output.
int copperRawToCsv(const std::string& fileName, const CopperResult& result);

}  // namespace Kestrix
