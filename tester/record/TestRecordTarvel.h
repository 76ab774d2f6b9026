#pragma once
// One imported result file as the host's test record: keeps the file's bytes, decodes them once on first
// need and answers the host's questions from the decoded result.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <boost/optional.hpp>

#include "common/ResultEnvelope.h"
#include "fiber/FiberTestTypes.h"
#include "tester/host/CopperHostObjects.h"
#include "tester/host/FiberHostObjects.h"
#include "tester/host/HostRecord.h"

namespace Kestrix {
class FiberResult;
class FiberOtdrTest;
class CopperResult;
class CopperTest;
class CopperLimit;
}  // namespace Kestrix

namespace Kestrix::Tester {

class CopperLimitsTbl;

// One test a record holds, as the host names it.
struct RecordTest {
    int TestId = 0;  // host test id
    std::string Name;
    int Status = 0;  // host status
};

class TestRecordTarvel {
public:
    TestRecordTarvel();
    // Takes the bytes as SetSerializedResult does.
    explicit TestRecordTarvel(std::vector<uint8_t> bytes);
    ~TestRecordTarvel();
    TestRecordTarvel(TestRecordTarvel&&) noexcept;
    TestRecordTarvel& operator=(TestRecordTarvel&&) noexcept;
    TestRecordTarvel(const TestRecordTarvel&) = delete;
    TestRecordTarvel& operator=(const TestRecordTarvel&) = delete;

    // Replaces the bytes, forgets what was decoded, and fills the metadata's CableID, RawCableID and
    // TestDate from the result summary (left as they are when it cannot be read) so the importer can name
    // the record at once.
    void SetSerializedResult(std::vector<uint8_t> bytes);
    const std::vector<uint8_t>& SerializedResult() const { return _bytes; }

    // Host metadata: the importer fills Project, Site and the Cloud fields.
    RecordMetaData& GetMetaData() { return _metaData; }
    const RecordMetaData& GetMetaData() const { return _metaData; }

    // Set when the last decoding met a result written by a newer version.
    bool LastRecTooNew() const { return _lastRecTooNew; }

    // Without a summary or without bytes: true, nothing done. False when the summary cannot be read.
    static bool LoadSummary(RecordSummary* summary, const std::vector<uint8_t>& bytes);
    // The result summary of the bytes as LoadSummary gives it, read once when the bytes were set; none when
    // it does not read (summaryStatus() says why).
    boost::optional<RecordSummary> summary() const;
    ResultReaderStatus summaryStatus() const { return _summaryStatus; }

    // 0 not known, 1 twisted-pair copper, 2 fiber (coax shows only in metadata and cable info).
    int GetMediaType();
    bool IsCopper() { return GetMediaType() == kMediaCopper; }
    bool IsFiber() { return GetMediaType() == kMediaFiber; }

    // The decoded result, or null when the bytes hold none of that kind (owned by the record).
    FiberResult* GetFiberResult();
    CopperResult* GetCopperResult();
    CopperTest* GetCopperTest();

    boost::optional<RecordMetaData> ExtractMetaDataFromResult();
    boost::optional<TestMetaData> GetTestMetaData(int testId);
    // The tests the result holds that the host has an id for. Fiber: one entry per test, in the result's
    // order (a loss/length test measured in both directions gives ids 20 and 21). Copper: one entry per kind of
    // measurement, in report order.
    std::vector<RecordTest> GetTests();

    // Copper: 1 raw data, -1 no copper test, -2 no raw data. Fiber: 1 an image test, -3 none. Neither: -1.
    int ContainsRawData();
    // "" when written, otherwise why not.
    std::string ExportRawDataToCSV(const std::string& path);

    // The record itself when it holds that kind of result, else null.
    TestRecordTarvel* GetOtdrInterface();
    TestRecordTarvel* GetFiberLossPowerInterface();
    TestRecordTarvel* GetFiberImageInterface();
    TestRecordTarvel* GetCopperInterface();
    TestRecordTarvel* GetReCertInterface() { return this; }

    // Fixed answers of this tester family.
    bool HasMediaTests() const { return true; }
    bool HasNoise() const { return false; }
    bool HasMultiTest() const { return false; }
    bool HasChannelMapTest() const { return false; }
    bool HasOtdrBidirAvgTable() const { return false; }
    boost::optional<MultiTest> GetMultiTest() const { return boost::none; }
    boost::optional<ChannelMapTest> GetChannelMapTest() const { return boost::none; }
    boost::optional<OtdrTest> GetChannelMapOtdrTest() const { return boost::none; }
    boost::optional<OtdrPlotData> GetChannelMapPlotData() const { return boost::none; }
    boost::optional<OtdrBidirAvgTable> GetOtdrBidirAvgTable() const { return boost::none; }

    // Copper tests by host test id and end; without a copper test every answer is false or none.
    bool HasScalarTest(int id);
    boost::optional<ScalarTest> GetScalarTest(int id);
    bool HasFrequencyTest(int id);
    boost::optional<FrequencyTest> GetFrequencyTest(int id);
    bool HasPlotData(int id, int end);
    bool HasPlotData();
    boost::optional<PlotDataTp> GetPlotDataTp(int id, int end);
    bool HasTdrCoaxTest();
    boost::optional<TdrCoaxTest> GetTdrCoaxTest();
    bool HasWireMapTest();
    boost::optional<WireMapTest> GetWireMapTest();
    // Lines 0 to 2 of the wiremap text, at most 30 characters each.
    std::vector<std::string> GetWireMapText();
    // The wiremap picture (280 x 220) as a BMP file; none without a wiremap.
    boost::optional<std::vector<uint8_t>> GetWireMapBitmap(const WireMapTest& wireMapTest);
    // The same picture as PNG.
    boost::optional<std::vector<uint8_t>> GetWireMapPng(const WireMapTest& wireMapTest);
    TwistedPairLabels GetPairLabels(int id);
    // The host pair ids a copper test id reports, in report order.
    std::vector<int> CopperPairList(int id);

    // Fiber tests by host end (1 or 2; 3 is the bidirectional average where the host maps it). Without a
    // fiber result, or for end 0, every answer is false or none.
    bool HasLossTest(int end);
    boost::optional<LossTest> GetLossTest(int end);
    bool HasPowerTest(int end);
    boost::optional<PowerTest> GetPowerTest(int end);
    bool HasOtdrTest(int end);
    // With the host's user edits.
    boost::optional<OtdrTest> GetOtdrTest(int end);
    bool HasOtdrBidirAvgTest() { return HasOtdrTest(3); }
    bool HasEventMapTest();
    // The event map of the bidirectional test, else end 1, else end 2.
    boost::optional<EventMapTable> GetEventMapTest();
    // Traces of the end-1 or end-2 OTDR test; the user edits are applied unless `raw`.
    boost::optional<OtdrPlotData> GetOtdrPlotData(int end, bool raw);
    bool HasFaultMapTest();
    boost::optional<FaultMapTest> GetFaultMapTest();
    boost::optional<OtdrTest> GetFaultMapOtdrTest();
    boost::optional<OtdrPlotData> GetFaultMapPlotData();
    bool HasRealTimeOtdrTest(int end);
    boost::optional<OtdrTest> GetRealTimeOtdrTest(int end);
    boost::optional<OtdrPlotData> GetRealTimeOtdrPlotData(int end);
    // The bidirectional average, or the host error id: 61 ends do not correspond, 62 wavelengths differ,
    // 80 a launch without a tail, 63 anything else (missing tests included).
    struct BidirAvgOutcome {
        boost::optional<OtdrTest> Test;
        int ErrorId = 0;
    };
    // This record's end-1 and end-2 tests.
    BidirAvgOutcome GenerateOtdrBidirAvgFromResult();
    // This record's end-1 test and the other record's end-2 test.
    BidirAvgOutcome GenerateOtdrBidirAvgFromResult(TestRecordTarvel* other);
    // Adds the SR-4731 series of the end's OTDR test to `plotData` (series matched by index); false when
    // none could be added.
    bool LoadBellcoreData(OtdrPlotData& plotData, int end);
    // Non-zero wavelengths of an OTDR or loss test id, ascending.
    std::vector<int> GetTestedFiberWavlengths(int id);
    // The tester's span over the end-1 (else end-2) OTDR test, checked against its traces.
    boost::optional<OtdrSegment> GetSpanFromResult();
    bool HasImageTest(int end);
    boost::optional<FiberImageTest> GetImageTest(int end);
    // The host's user OTDR edits; null restores the default, which applies none.
    void SetOtdrModifications(std::shared_ptr<IOtdrModifications> edits);

    // Recertification against a limit of the copper limit database ("culim.mnts" in `folder`).
    bool InitSpecDb(const std::string& folder, const std::string& version);
    // The same with a table already opened (from a file or from memory); false, and no database, unless it
    // has rows and its first limit carries `version`.
    bool adoptSpecDb(std::unique_ptr<CopperLimitsTbl> table, const std::string& version);
    void CloseSpecDb();
    bool SpecDbLoaded() const { return _specDbLoaded; }
    CopperLimitsTbl* SpecDb() { return _specDb.get(); }
    // NaN nvp keeps the stored NVP. None without a loaded database; the record's own bytes never change.
    boost::optional<ReCertResult> Recertify(const std::vector<uint8_t>& bytes, const std::string& limitName, float nvp);
    // 0 when the test can be judged against the limit, else the reason's status.
    static int PreCheck(const CopperTest* test, const CopperLimit* limit);

private:
    void discardDecoded();
    // Outcome of a failed read, replayed on the next request for the same kind: the bytes do not change.
    void readFailed(ResultReaderStatus status);
    boost::optional<TestMetaData> fiberTestMetaData(int testId);
    boost::optional<TestMetaData> copperTestMetaData(int testId);
    const FiberOtdrTest* fiberOtdrTest(FiberTestType type);
    OtdrTest otdrWithEdits(const FiberOtdrTest& test, int hostId, bool edits);
    BidirAvgOutcome bidirAverage(const FiberOtdrTest* end1, const FiberOtdrTest* end2);

    std::vector<uint8_t> _bytes;
    ResultSummary _summary;  // when _summaryStatus is success
    ResultReaderStatus _summaryStatus = ResultReaderStatus::badContainer;
    RecordMetaData _metaData;
    std::unique_ptr<FiberResult> _fiber;
    std::unique_ptr<CopperResult> _copper;
    boost::optional<ResultReaderStatus> _fiberFailure;
    boost::optional<ResultReaderStatus> _copperFailure;
    int _media = kMediaUnknown;
    bool _lastRecTooNew = false;
    std::unique_ptr<CopperLimitsTbl> _specDb;
    bool _specDbLoaded = false;
    std::shared_ptr<IOtdrModifications> _otdrEdits;
};

}  // namespace Kestrix::Tester
