// Recertification of a record's copper result against a limit from the copper limit database.
#include <cmath>
#include <limits>

#include "copper/CopperLimit.h"
#include "copper/CopperResult.h"
#include "copper/CopperResultReader.h"
#include "copper/CopperResultWriter.h"
#include "copper/CopperUtil.h"
#include "tester/db/CopperLimitsTbl.h"
#include "tester/host/HostServices.h"
#include "tester/record/CopperRecordUtil.h"
#include "tester/record/EnumConverter.h"
#include "tester/record/TestRecordTarvel.h"

namespace Kestrix::Tester {

namespace {

// Pre-check statuses.
constexpr int kReady = 0;
constexpr int kFailed = 2;
constexpr int kNoPlotData = 4;
constexpr int kTooFewPoints = 5;

struct FreqEntryCheck {
    CopperTestType type;
    WirePair second;
    int missing;  // status when the plot is missing
};

bool checkOf(CopperFreqLimitType t, FreqEntryCheck& out) {
    using T = CopperFreqLimitType;
    using W = WirePair;
    switch (t) {
        case T::IL: out = {CopperTestType::il, W::pair1, 10}; return true;
        case T::NEXT:
        case T::NEXT_ALT: out = {CopperTestType::next, W::pair2, 11}; return true;
        case T::PSNEXT:
        case T::PSNEXT_ALT: out = {CopperTestType::psnext, W::pair1, 11}; return true;
        case T::ACR: out = {CopperTestType::acr, W::pair2, 11}; return true;
        case T::PSACR: out = {CopperTestType::psacr, W::pair1, 11}; return true;
        case T::ELFEXT: out = {CopperTestType::elfext, W::pair2, 13}; return true;
        case T::PSELFEXT: out = {CopperTestType::pselfext, W::pair1, 13}; return true;
        case T::RL:
        case T::RL_ALT: out = {CopperTestType::rl, W::pair1, 12}; return true;
        case T::TCL:
        case T::TCL_ALT: out = {CopperTestType::tcl, W::pair1, 14}; return true;
        case T::TCTL: out = {CopperTestType::tctl, W::pair1, 2}; return true;
        case T::ELTCTL:
        case T::ELTCTL_ALT: out = {CopperTestType::eltctl, W::pair1, 15}; return true;
        case T::CMRL: out = {CopperTestType::cmrl, W::pair1, 17}; return true;
        case T::CDNEXT: out = {CopperTestType::cdnext, W::pair2, 16}; return true;
        case T::TDR: out = {CopperTestType::tdr, W::pair1, 2}; return true;
        case T::NONE: out = {CopperTestType::none, W::pair1, 2}; return true;
    }
    // A type this build does not know: no plot can match it.
    out = {CopperTestType::none, W::pair1, 2};
    return true;
}

bool hasScalarLimitFor(const CopperLimit& limit, CopperTestType type) {
    for (const CopperScalarLimit& l : limit.scalarLimits)
        if (scalarLimitTestType(l.type) == type) return true;
    return false;
}

}  // namespace

bool TestRecordTarvel::InitSpecDb(const std::string& folder, const std::string& version) {
    if (_specDbLoaded) return true;
    auto table = std::make_unique<CopperLimitsTbl>();
    if (table->Open(CopperLimitsTbl::pathIn(folder)) != SQLiteTbl::kOpened) {
        CloseSpecDb();
        return false;
    }
    return adoptSpecDb(std::move(table), version);
}

bool TestRecordTarvel::adoptSpecDb(std::unique_ptr<CopperLimitsTbl> table, const std::string& version) {
    CopperLimit first;
    if (!table || !table->isOpen() || table->RowCount() == 0 || !table->openFirstLimit(first) ||
        first.getDbPkgMfstSummary().getVersionString() != version) {
        CloseSpecDb();
        return false;
    }
    _specDb = std::move(table);
    _specDbLoaded = true;
    return true;
}

void TestRecordTarvel::CloseSpecDb() {
    if (_specDb) _specDb->Close();
    _specDb.reset();
    _specDbLoaded = false;
}

int TestRecordTarvel::PreCheck(const CopperTest* test, const CopperLimit* limit) {
    if (test == nullptr || limit == nullptr) return kFailed;
    if (!test->hasPlotData()) return kNoPlotData;
    if (!test->getSettings().ACWireMapEnabled) {
        CopperScalarLimit l;
        if (limit->findScalarLimit(l, CopperScalarLimitType::resistance) &&
            !test->hasCopperScalar(CopperTestType::resist, WirePair::notset))
            return 6;
        if (limit->findScalarLimit(l, CopperScalarLimitType::unbalanceOhm) &&
            !test->hasCopperScalar(CopperTestType::unbalance, WirePair::notset))
            return 7;
        if (hasScalarLimitFor(*limit, CopperTestType::p2pUnbalance) &&
            !test->hasCopperScalar(CopperTestType::p2pUnbalance, WirePair::notset))
            return 8;
        if (limit->findScalarLimit(l, CopperScalarLimitType::impedance) && !l.isInfoOnly &&
            !test->hasCopperScalar(CopperTestType::imped, WirePair::notset))
            return 9;
    }
    // Every curve's plot must be there before the number of points counts.
    std::vector<const CopperPlot*> found;
    for (const CopperFreqLimit& entry : limit->freqLimits) {
        if (entry.pair != PairCombo::any) continue;
        FreqEntryCheck check{};
        checkOf(entry.freqLimitType, check);
        const CopperPlot* plot =
            check.type == CopperTestType::none
                ? nullptr
                : copper::findPlot(*test, check.type, CableEnd::main, WirePair::pair1, check.second);
        if (plot == nullptr) return check.missing;
        found.push_back(plot);
    }
    const int points = kHzToIdx(limit->getMaxFreqKHz());
    for (const CopperPlot* plot : found)
        if (static_cast<int64_t>(plot->data.size()) < points) return kTooFewPoints;
    return kReady;
}

boost::optional<ReCertResult> TestRecordTarvel::Recertify(const std::vector<uint8_t>& bytes,
                                                          const std::string& limitName, float nvp) {
    if (!_specDbLoaded || !_specDb) return boost::none;
    ReCertResult out;
    out.rcStatus = kFailed;
    if (!std::isnan(nvp) && !(nvp > 0.0f && nvp <= 100.0f)) return out;

    CopperResult result;
    if (bytes.empty() || bytes.size() > std::numeric_limits<uint32_t>::max() / 2) return out;
    if (CopperResultReader::readResult(result, bytes.data(), static_cast<uint32_t>(bytes.size())) !=
        ResultReaderStatus::success)
        return out;

    CopperLimitsTbl& table = *_specDb;
    if (!table.Find("name", limitName)) return out;
    CopperLimit limit;
    try {
        if (table.object().empty() || table.maxFreq() <= 0) return out;
    } catch (const SQLiteTblError&) {
        return out;
    }
    if (!table.openLimit(limit)) return out;

    const CopperTestPtr test = result.getCopperTest();
    if (!test) return out;
    out.rcStatus = PreCheck(test.get(), &limit);
    if (out.rcStatus != kReady) return out;
    out.rcStatus = kFailed;

    test->body.limit = std::make_shared<CopperLimit>(std::move(limit));
    test->recertify(nvp);
    test->body.timestamp = HxDataDate::SecondsSince1970(HxDataDate::GetSpanNow());
    if (!std::isnan(nvp)) test->body.settings.nvp = ScaledInt(nvp, ScaledInt::tenths);
    if (result.mergeCopperTest(test, true) != 0) return out;

    std::vector<uint8_t> buffer(bytes.size() * 2);
    uint32_t written = 0;
    if (CopperResultWriter::writeResultBuffer(buffer.data(), static_cast<uint32_t>(buffer.size()), written, result) ==
            ResultWriterStatus::success &&
        written <= buffer.size()) {
        buffer.resize(written);
    } else {
        // A much larger new limit can outgrow twice the old file: that is no reason to fail.
        buffer = CopperResultWriter::writeResult(result);
        if (buffer.empty()) return out;
    }
    out.newData = std::move(buffer);
    out.testStatus = EnumConverter::Status(result.summary.status);
    out.rcStatus = kReady;
    return out;
}

}  // namespace Kestrix::Tester
