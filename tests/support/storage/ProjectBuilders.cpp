#include "storage/ProjectBuilders.h"

#include <tuple>

#include "serialization/ByteStreamBuilder.h"
#include "serialization/Header.h"
#include "storage/CopperTestSet.h"
#include "storage/CountedString.h"
#include "storage/LossLengthTestSet.h"
#include "storage/OtdrTestSet.h"

namespace kx::test {

using namespace Project;

Project::Core sampleProject() {
    Core p;
    p.name = "Building 7 backbone";
    p.quarnId = "q-1234";
    p.operatorName = "R. Osei";
    p.parentQuarnId = "q-1000";
    p.orgId = "org-77";
    p.activeTestSet = 2;
    p.activeLabelSet = 11;
    p.cableEnd = 2;
    p.end1Name = "MDF";
    p.end2Name = "IDF-3";
    p.id = 42;
    p.version = 9;
    p.status.numTests = 120;
    p.status.numTestsRun = 60;
    p.status.numPassedTests = 50;
    p.status.numPassedStarTests = 4;
    p.status.numFailedTests = 5;
    p.status.numInfoOnlyTests = 1;
    p.status.numUploadedResults = 30;
    p.status.numResults = 60;
    p.status.totalResultsSize = 0x123456789ull;
    p.status.firstTestTimestamp = 1700000000;
    p.status.lastTestTimestamp = 1700090000;
    p.status.lastSync = 1700095000;

    auto copper = std::make_unique<CopperTestSet>();
    copper->id = 1;
    copper->modID = 300;
    copper->settings.cableTypeName = "Cat 6A U/FTP";
    copper->settings.testLimitName = "TIA Cat 6A Perm. Link";
    p.testSets.items.push_back(std::move(copper));

    auto otdr = std::make_unique<OtdrTestSet>();
    otdr->id = 2;
    otdr->modID = 101;
    otdr->settings.fiberTestType = Kestrix::TestType::autoOtdr;
    otdr->settings.wavelengthsToTest = {1310, 1550};
    otdr->settings.fiberName = "SMF-28";
    otdr->settings.fiberLimit = "*Site limit*";
    p.testSets.items.push_back(std::move(otdr));

    auto image = std::make_unique<ImageTestSet>();
    image->id = 3;
    image->modID = 0;
    image->settings.fiberTestType = Kestrix::TestType::scopel;
    image->settings.fiberLimit = "IEC 61300-3-35 SM UPC";
    p.testSets.items.push_back(std::move(image));
    auto loss = std::make_unique<LossLengthTestSet>();
    loss->id = 4;
    loss->modID = 201;
    loss->settings.fiberName = "OM4 50/125";
    loss->settings.limitName = "TIA-568.3-D";
    loss->settings.biDirectionalEnabled = true;
    loss->settings.numSplices = 2;
    p.testSets.items.push_back(std::move(loss));
    p.testSets.nextUniqueID = 5;

    auto seq = std::make_unique<SequentialLabelSet>();
    seq->type = 0;
    seq->id = 10;
    seq->_size = 48;
    seq->mediaType = 1;
    seq->testTypeVec = 0x6;
    seq->start = "A-001";
    seq->stop = "A-048";
    p.labelSets.items.push_back(std::move(seq));

    auto autoInc = std::make_unique<AutoIncrementLabelSet>();
    autoInc->id = 11;
    autoInc->seed = "F-0100";
    autoInc->maxLength = 12;
    p.labelSets.items.push_back(std::move(autoInc));

    auto random = std::make_unique<RandomLabelSet>();
    random->type = 1;
    random->id = 12;
    random->_size = 3;
    random->mediaType = 2;
    random->testTypeVec = 0x1;
    random->name = "Patch panel 4";
    random->fileName = "pp4.ids";
    p.labelSets.items.push_back(std::move(random));
    p.labelSets.nextUniqueID = 13;

    for (const auto& [labelSet, resultType, testType, end, next] :
         {std::tuple<int32_t, uint32_t, uint32_t, uint32_t, const char*>{11, 2, 1, 2, "F-0107"},
          {10, 1, 14, 1, "A-013"}}) {
        auto c = std::make_unique<Cursor>();
        c->labelSetID = labelSet;
        c->resultType = resultType;
        c->testType = testType;
        c->cableEnd = end;
        c->nextLabel = next;
        p.cursors.items.push_back(std::move(c));
    }
    return p;
}

Kestrix::InstrumentSettings sampleInstrumentSettings() {
    using namespace Kestrix;
    InstrumentSettings s;
    s.powerDownTimeout = PowerDownTimeout::min30;
    s.resultStorageLocation = ResultStorageLocation::mmc;
    s.remoteModeEnabled = true;
    s.audibleToneEnabled = false;
    s.dateFormat = DateFormat::yyyymmddDash;
    s.timeFormat = TimeFormat::h24;
    s.language = Language::german;
    s.lengthUnits = LengthUnits::feet;
    s.numericFormat = NumericFormat::decimalComma;
    s.backlightTimeout = BacklightTimeout::min15;
    s.powerLineFrequency = PowerLineFrequency::hz50;
    s.plotGridEnabled = false;
    s.displayBrightness = 180;
    s.ipAddressSource = IPAddressSource::staticAddress;
    s.ipAddress = "192.168.10.20";
    s.ipSubnet = "255.255.255.0";
    s.ipGateway = "192.168.10.1";
    s.ipDNS1 = "192.168.10.2";
    s.ipDNS2 = "192.168.10.3";
    s.kept.byte1 = 7;
    s.kept.text1 = "kept-a";
    s.kept.text2 = "kept-b";
    s.kept.byte2 = 1;
    s.kept.byte3 = 2;
    return s;
}

// A framed object whose payload is `payload`.
static std::vector<uint8_t> framed(const Marshal::TypeInfo& info, uint8_t classVersion,
                                   const std::vector<uint8_t>& payload) {
    Marshal::ByteStreamBuilder b;
    Marshal::Header h(classVersion, Marshal::SerialTypeID(info.domain, info.code));
    h.serialize(b);
    b.write(payload.data(), static_cast<uint32_t>(payload.size()));
    h.finishWrite(b);
    return b.bytes();
}

std::vector<uint8_t> coreBytesAtVersion(const Project::Core& p, uint8_t classVersion) {
    Marshal::ByteStreamBuilder b;
    for (const std::string* s : {&p.name, &p.operatorName, &p.parentQuarnId, &p.end1Name, &p.end2Name})
        writeCountedString(b, *s);
    b.write(p.activeTestSet);
    b.write(p.activeLabelSet);
    b.write(p.cableEnd);
    p.status.serialize(b);
    p.cursors.serialize(b);
    p.testSets.serialize(b);
    p.labelSets.serialize(b);
    b.write(p.id);
    b.write(p.version);
    if (classVersion >= 8) b.write(p.quarnId);
    if (classVersion >= 9) b.write(p.orgId);
    return framed(Marshal::TypeIds::ProjectCore, classVersion, b.bytes());
}

std::vector<uint8_t> statusBytesAtVersion(const Project::Status& s, uint8_t classVersion) {
    Marshal::ByteStreamBuilder b;
    for (uint32_t v : {s.numTests, s.numPassedTests, s.numPassedStarTests, s.numFailedTests, s.numInfoOnlyTests,
                       s.numUploadedResults, s.numResults})
        b.write(v);
    b.write(s.firstTestTimestamp);
    b.write(s.lastTestTimestamp);
    b.write(s.totalResultsSize);
    if (classVersion >= 2) b.write(s.numTestsRun);
    if (classVersion >= 3) b.write(s.lastSync);
    return framed(Marshal::TypeIds::ProjectStatus, classVersion, b.bytes());
}

}  // namespace kx::test
