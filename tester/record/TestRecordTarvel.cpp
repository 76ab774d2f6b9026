#include "tester/record/TestRecordTarvel.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "copper/CopperResult.h"
#include "copper/CopperResultReader.h"
#include "fiber/FiberLossLengthTest.h"
#include "fiber/FiberOtdrOverallResults.h"
#include "fiber/FiberOtdrTest.h"
#include "fiber/FiberRawCsv.h"
#include "fiber/FiberResult.h"
#include "fiber/FiberResultReader.h"
#include "tester/db/CopperLimitsTbl.h"
#include "tester/host/TesterConnectInfo.h"
#include "tester/record/EnumConverter.h"

namespace Kestrix::Tester {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The readers take a 32-bit size; a larger buffer is no result file.
bool fitsReader(const std::vector<uint8_t>& bytes) {
    return !bytes.empty() && bytes.size() <= std::numeric_limits<uint32_t>::max();
}

uint32_t size32(const std::vector<uint8_t>& bytes) { return static_cast<uint32_t>(bytes.size()); }

double metres(const ScaledInt& v) { return v.isFinite() ? v.toDouble() : kNaN; }

RecordSummary hostSummary(const ResultSummary& s) {
    RecordSummary summary;
    summary.Platform = kPlatform;
    summary.CableID = s.resultName;
    summary.Status = EnumConverter::Status(s.status);
    summary.TestDate = HxDataDate::From1970(s.timeStamp);
    summary.Media = s.resultType == ResultType::FIBER ? kMediaFiber : kMediaCopper;
    summary.LengthMeters = metres(s.length.value);
    return summary;
}

// Warning bit of an OTDR test telling that the tester's own span was not applied.
constexpr uint32_t kSpanNotAppliedWarning = 1u << 30;

boost::optional<OtdrSpanLocation> spanOf(const FiberOtdrTest& test) {
    const FibDbus::OtdrSpan& span = test.settings.span;
    if (!span.isSet() || (test.overallResults.warningFlags & kSpanNotAppliedWarning) != 0) return boost::none;
    OtdrSpanLocation loc;
    loc.Start = span.spanStart.toDouble();
    loc.Stop = span.spanEnd.toDouble();
    loc.End = test.testType() == FiberTestType::otdrEnd2 ? 2 : 1;
    return loc;
}

// The span the tester limited the OTDR analysis to: the End 1 OTDR test's, else the End 2 test's.
boost::optional<OtdrSpanLocation> resultSpan(const FiberResult& result) {
    for (FiberTestType type : {FiberTestType::otdrEnd1, FiberTestType::otdrEnd2}) {
        if (const auto* t = dynamic_cast<const FiberOtdrTest*>(result.getTest(type))) return spanOf(*t);
    }
    return boost::none;
}

// The copper measurements the host has ids for, in the order a certification report lists them.
struct HostCopperTest {
    int id;
    const char* name;
};

constexpr HostCopperTest kHostCopperTests[] = {
    {15, "Wire Map"},      {1, "Length"},     {2, "Propagation Delay"},
    {3, "Delay Skew"},     {4, "Resistance"}, {40, "Resistance Unbalance"},
    {41, "P2P Unbalance"}, {5, "Impedance"},  {7, "Insertion Loss"},
    {8, "NEXT"},           {9, "PS NEXT"},    {10, "ACR-N"},
    {11, "PS ACR-N"},      {12, "ACR-F"},     {13, "PS ACR-F"},
    {14, "Return Loss"},   {34, "TCL"},       {35, "TCTL"},
    {36, "CMRL"},          {37, "CDNEXT"},    {38, "CDFEXT"},
    {39, "ELTCTL"},        {16, "TDR"},       {17, "TDX"},
};

std::string rawCsvText(int code, bool copper) {
    switch (code) {
        case 0: return "";
        case 1: return "Unable to read file";
        case 2: return "Unable to open file";
        case 3: return "No displayable plots in data";
        case 4: return "Result contains no raw data";
        case 5: return copper ? "Result does not contain copper test" : "Result does not contain Image test";
        default: return "Unable to export raw data to CSV file for unknown reason";
    }
}

}  // namespace

TestRecordTarvel::TestRecordTarvel() = default;
TestRecordTarvel::TestRecordTarvel(std::vector<uint8_t> bytes) { SetSerializedResult(std::move(bytes)); }
TestRecordTarvel::~TestRecordTarvel() = default;
TestRecordTarvel::TestRecordTarvel(TestRecordTarvel&&) noexcept = default;
TestRecordTarvel& TestRecordTarvel::operator=(TestRecordTarvel&&) noexcept = default;

void TestRecordTarvel::SetSerializedResult(std::vector<uint8_t> bytes) {
    _bytes = std::move(bytes);
    discardDecoded();
    _fiberFailure.reset();
    _copperFailure.reset();
    _media = kMediaUnknown;
    _lastRecTooNew = false;
    _summary = ResultSummary();
    _summaryStatus = !_bytes.empty() && fitsReader(_bytes) ? readResultSummary(_summary, _bytes.data(), size32(_bytes))
                                                           : ResultReaderStatus::badContainer;
    if (const auto s = summary()) {
        _metaData.CableID = s->CableID;
        _metaData.RawCableID = s->CableID;
        _metaData.TestDate = s->TestDate;
    }
}

void TestRecordTarvel::discardDecoded() {
    _fiber.reset();
    _copper.reset();
}

// The result of the other kind stays: the bytes hold at most one kind, and a caller may still hold it.
void TestRecordTarvel::readFailed(ResultReaderStatus status) {
    if (status == ResultReaderStatus::unsupportedVersion) _lastRecTooNew = true;
}

bool TestRecordTarvel::LoadSummary(RecordSummary* summary, const std::vector<uint8_t>& bytes) {
    if (summary == nullptr || bytes.empty()) return true;
    if (!fitsReader(bytes)) return false;
    ResultSummary s;
    if (readResultSummary(s, bytes.data(), size32(bytes)) != ResultReaderStatus::success) return false;
    *summary = hostSummary(s);
    return true;
}

boost::optional<RecordSummary> TestRecordTarvel::summary() const {
    if (_summaryStatus != ResultReaderStatus::success) return boost::none;
    return hostSummary(_summary);
}

int TestRecordTarvel::GetMediaType() {
    // The type is the summary's, read when the bytes were set.
    if (_media == kMediaUnknown && fitsReader(_bytes)) {
        const ResultReaderStatus st = _summaryStatus;
        if (st == ResultReaderStatus::success) {
            if (_summary.resultType == ResultType::FIBER) _media = kMediaFiber;
            if (_summary.resultType == ResultType::COPPER) _media = kMediaCopper;
        } else if (st == ResultReaderStatus::unsupportedVersion) {
            _lastRecTooNew = true;
        }
    }
    return _media;
}

FiberResult* TestRecordTarvel::GetFiberResult() {
    if (_fiber) return _fiber.get();
    _lastRecTooNew = false;
    if (_fiberFailure) {
        readFailed(*_fiberFailure);
        return nullptr;
    }
    auto result = std::make_unique<FiberResult>();
    ResultReaderStatus st = ResultReaderStatus::badContainer;
    if (fitsReader(_bytes)) {
        try {
            st = FiberResultReader::readResult(*result, _bytes.data(), size32(_bytes));
        } catch (...) {
            st = ResultReaderStatus::badData;
        }
    }
    if (st != ResultReaderStatus::success) {
        _fiberFailure = st;
        readFailed(st);
        return nullptr;
    }
    _fiber = std::move(result);
    return _fiber.get();
}

CopperResult* TestRecordTarvel::GetCopperResult() {
    if (_copper) return _copper.get();
    _lastRecTooNew = false;
    if (_copperFailure) {
        readFailed(*_copperFailure);
        return nullptr;
    }
    auto result = std::make_unique<CopperResult>();
    ResultReaderStatus st = ResultReaderStatus::badContainer;
    if (fitsReader(_bytes)) {
        try {
            st = CopperResultReader::readResult(*result, _bytes.data(), size32(_bytes));
        } catch (...) {
            st = ResultReaderStatus::badData;
        }
    }
    if (st != ResultReaderStatus::success) {
        _copperFailure = st;
        readFailed(st);
        return nullptr;
    }
    _copper = std::move(result);
    return _copper.get();
}

CopperTest* TestRecordTarvel::GetCopperTest() {
    CopperResult* result = GetCopperResult();
    return result != nullptr ? result->test.get() : nullptr;
}

boost::optional<RecordMetaData> TestRecordTarvel::ExtractMetaDataFromResult() {
    const int media = GetMediaType();
    RecordMetaData meta;
    meta.Platform = kPlatform;
    meta.HasGraphs = false;
    meta.HasNetworkTest = false;
    const ResultSummary* summary = nullptr;
    if (media == kMediaFiber) {
        const FiberResult* fiber = GetFiberResult();
        if (fiber == nullptr || _lastRecTooNew) return boost::none;
        summary = &fiber->summary;
        meta.Media = kMediaFiber;
        meta.OtdrSpan = resultSpan(*fiber);
    } else if (media == kMediaCopper) {
        const CopperResult* copper = GetCopperResult();
        if (copper == nullptr || _lastRecTooNew) return boost::none;
        summary = &copper->summary;
        const CopperTest* test = copper->test.get();
        meta.Media = test != nullptr && test->getCable().isCoax() ? kMediaCoax : kMediaCopper;
        meta.HasGraphs = test != nullptr && test->hasPlotData();
    } else {
        return boost::none;
    }
    meta.CableID = summary->resultName;
    meta.RawCableID = summary->resultName;
    meta.Status = EnumConverter::Status(summary->status);
    meta.TestDate = HxDataDate::From1970(summary->timeStamp);
    meta.LengthMeters = metres(summary->length.value);
    meta.LengthFeet = MeasUnitConverter::ToFeet(meta.LengthMeters);
    return meta;
}

boost::optional<TestMetaData> TestRecordTarvel::GetTestMetaData(int testId) {
    const int media = GetMediaType();
    if (media == kMediaFiber) return fiberTestMetaData(testId);
    if (media == kMediaCopper) return copperTestMetaData(testId);
    return boost::none;
}

std::vector<RecordTest> TestRecordTarvel::GetTests() {
    std::vector<RecordTest> tests;
    const auto add = [&tests](int id, const char* name, Kestrix::Status status) {
        if (id == 0) return;
        for (const RecordTest& t : tests)
            if (t.TestId == id) return;
        tests.push_back(RecordTest{id, name != nullptr ? name : "", EnumConverter::Status(status)});
    };
    const int media = GetMediaType();
    if (media == kMediaFiber) {
        const FiberResult* fiber = GetFiberResult();
        if (fiber == nullptr) return tests;
        for (const auto& test : fiber->tests) {
            const FiberTestType type = test->testType();
            const int id = EnumConverter::FiberTestType(type);
            add(id, toString(type), test->summary.status);
            const auto* ll = dynamic_cast<const FiberLossLengthTest*>(test.get());
            if (ll == nullptr) continue;
            for (const auto& entry : ll->testPerDirectionWlVec) {
                if (entry.direction == CableEnd::end2) {
                    add(21, "Loss Length End 2", test->summary.status);
                    break;
                }
            }
        }
    } else if (media == kMediaCopper) {
        const CopperTest* test = GetCopperTest();
        if (test == nullptr) return tests;
        for (const HostCopperTest& c : kHostCopperTests) {
            const CopperTestType type = EnumConverter::KestrixShareCuTestType(c.id);
            const bool held = type == CopperTestType::map
                                  ? test->body.wiremap.status != Kestrix::Status::notSet
                                  : test->hasCopperScalar(type, WirePair::notset) || test->hasCopperFreq(type);
            if (held) add(c.id, c.name, test->getStatusByTestType(type));
        }
    }
    return tests;
}

int TestRecordTarvel::ContainsRawData() {
    const int media = GetMediaType();
    if (media == kMediaCopper) {
        const CopperResult* copper = GetCopperResult();
        if (copper != nullptr) {
            if (copper->test == nullptr) return -1;
            return copper->test->hasRawData() ? 1 : -2;
        }
    } else if (media == kMediaFiber) {
        const FiberResult* fiber = GetFiberResult();
        if (fiber != nullptr) {
            const bool image = fiber->getTest(FiberTestType::imageEnd1) != nullptr ||
                               fiber->getTest(FiberTestType::imageEnd2) != nullptr;
            return image ? 1 : -3;
        }
    }
    return -1;
}

std::string TestRecordTarvel::ExportRawDataToCSV(const std::string& path) {
    const int media = GetMediaType();
    if (media == kMediaCopper) {
        if (const CopperResult* copper = GetCopperResult()) return rawCsvText(copperRawToCsv(path, *copper), true);
    } else if (media == kMediaFiber) {
        if (const FiberResult* fiber = GetFiberResult())
            return rawCsvText(static_cast<int>(fiberToRawCsv(path, *fiber)), false);
    }
    return "Result does not contain a copper or fiber test";
}

TestRecordTarvel* TestRecordTarvel::GetOtdrInterface() { return IsFiber() ? this : nullptr; }
TestRecordTarvel* TestRecordTarvel::GetFiberLossPowerInterface() { return IsFiber() ? this : nullptr; }
TestRecordTarvel* TestRecordTarvel::GetFiberImageInterface() { return IsFiber() ? this : nullptr; }
TestRecordTarvel* TestRecordTarvel::GetCopperInterface() { return IsCopper() ? this : nullptr; }

}  // namespace Kestrix::Tester
