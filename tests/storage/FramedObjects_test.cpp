// What every framed object shares: its header pins the stored type id and class version, the counted size is
// the written size, it reads back to the same bytes, and a newer version, another type id or a cut-off
// stream is refused. One table of realistic objects from every model area; each object's own layout is
// tested beside it.
#include <functional>
#include <string>
#include <vector>

#include "common/EquipmentInformation.h"
#include "copper/CopperBuilders.h"
#include "copper/LimitBuilders.h"
#include "core/ManifestSamples.h"
#include "fiber/FiberBuilders.h"
#include "fiber/OtdrBuilders.h"
#include "serialization/ByteStreamCounter.h"
#include "storage/CopperTestSet.h"
#include "storage/LossLengthTestSet.h"
#include "storage/OtdrTestSet.h"
#include "storage/ProjectStatus.h"
#include "storage/StorageTesting.h"
#include "trace/ChannelTable.h"

using namespace Kestrix;
using kx::test::kLengthOffset;

namespace {

struct Framed {
    std::string name;
    // What the header must say: stored in files and sent to testers, so spelt out here, not taken from the code.
    uint16_t domain;
    uint16_t code;
    uint8_t classVersion;
    std::function<std::vector<uint8_t>()> write;
    // Reads `bytes`; on success also writes what was read into `again`.
    std::function<Marshal::StreamOpStatus(const std::vector<uint8_t>& bytes, std::vector<uint8_t>* again)> read;
    std::function<size_t()> counted;
};

template <typename T>
Framed framed(std::string name, uint16_t domain, uint16_t code, uint8_t classVersion, std::function<T()> make) {
    return {std::move(name),
            domain,
            code,
            classVersion,
            [make] { return bytesOf(make()); },
            [](const std::vector<uint8_t>& bytes, std::vector<uint8_t>* again) {
                T back;
                const auto st = readInto(back, bytes);
                if (st == Marshal::ok && again) *again = bytesOf(back);
                return st;
            },
            [make] {
                Marshal::ByteStreamCounter c;
                make().serialize(c);
                return static_cast<size_t>(c.size());
            }};
}

// The sample project's test set of type T.
template <typename T>
T testSetOf() {
    for (const auto& set : kx::test::sampleProject().testSets.items)
        if (const auto* t = dynamic_cast<const T*>(set.get())) return *t;
    return T{};
}

ChannelTable channels() {
    ChannelTable t;
    t.channels.emplace_back("io", TraceLevel::error | TraceLevel::warning);
    t.channels.emplace_back("session", TraceLevel::info);
    return t;
}

// Every proper prefix is read once, so the copper objects are cut down to a few short plots.
CopperTest copperTestWithoutPlots() {
    CopperTest t = *kx::test::cat6APermanentLinkTest();
    t.plots.plots.clear();
    t.rawData.plots.clear();
    return t;
}

CopperPlots twoPlots() {
    CopperPlots p;
    p.plots = {
        kx::test::samplePlot(CopperTestType::il, CableEnd::main, WirePair::pair1, WirePair::pair1, {1, 2, 300, -5}),
        kx::test::samplePlot(CopperTestType::tdr, CableEnd::remote, WirePair::pair2, WirePair::pair2, {})};
    return p;
}

const std::vector<Framed>& table() {
    using namespace kx::test;
    static const std::vector<Framed> all = {
        framed<Fiber>("Fiber", 0x0061, 0x0701, 3, multimodeFiber),
        framed<FiberTestSummary>("FiberTestSummary", 0x0061, 0x0102, 1, [] { return lossLengthTest().summary; }),
        framed<FiberLimit>("FiberLimitLossLength", 0x0061, 0x0601, 4, lossLengthLimit),
        framed<FiberLimit>("FiberLimitImage", 0x0061, 0x0601, 4, imageLimit),
        framed<FiberLimit>("FiberLimitOtdr", 0x0061, 0x0601, 4, otdrLimit),
        framed<FiberLossLengthSettings>("FiberLossLengthSettings", 0x0061, 0x0400, 3, lossLengthSettings),
        framed<FiberLossLengthTest>("FiberLossLengthTest", 0x0061, 0x0403, 7, lossLengthTest),
        framed<FiberPowerMeterTest>("FiberPowerMeterTest", 0x0061, 0x0404, 2, powerMeterTest),
        framed<FiberOtdrSettings>("FiberOtdrSettings", 0x0061, 0x0200, 5, otdrSettings),
        framed<FiberOtdrEventTable>("FiberOtdrEventTable", 0x0061, 0x0204, 2,
                                    [] { return otdrEventTable(end1Rows(), otdrWavelengths()); }),
        framed<FiberOtdrOverallResults>("FiberOtdrOverallResults", 0x0061, 0x0205, 4,
                                        [] { return otdrOverallResults(true); }),
        framed<FiberOtdrPlots>("FiberOtdrPlots", 0x0061, 0x0206, 3, [] { return otdrTest(CableEnd::end1, 6).plots; }),
        framed<FiberOtdrRawData>("FiberOtdrRawData", 0x0061, 0x0207, 1,
                                 [] { return otdrTest(CableEnd::end1, 6).rawData; }),
        framed<FiberOtdrTest>("FiberOtdrTest", 0x0061, 0x0208, 11, [] { return otdrTest(CableEnd::end2, 6); }),
        framed<FiberImageTest>("FiberImageTest", 0x0061, 0x0500, 6, [] { return imageTest(); }),
        framed<CopperTest>("CopperTest", 0x0071, 0x0202, 6, copperTestWithoutPlots),
        framed<CopperPlots>("CopperPlots", 0x0071, 0x0203, 0, twoPlots),
        framed<CopperRawData>("CopperRawData", 0x0071, 0x0204, 0,
                              [] { return kx::test::cat6APermanentLinkTest()->rawData; }),
        framed<CopperFreqList>("CopperFreqList", 0x0071, 0x0206, 0,
                               [] { return kx::test::cat6APermanentLinkTest()->body.copperfreqs; }),
        framed<CopperLimit>("CopperLimit", 0x0071, 0x0205, 4, cat6APermanentLinkLimit),
        framed<Wiremap>("Wiremap", 0x0071, 0x0207, 0, straightThroughWiremap),
        framed<CopperOutletConfig>("CopperOutletConfig", 0x0071, 0x0208, 0, [] { return t568bOutlet(); }),
        framed<InstrumentSettings>("InstrumentSettings", 0x0051, 0x0004, 3, sampleInstrumentSettings),
        framed<DatabasePackageManifest>("DatabasePackageManifest", 0x0051, 0x0009, 1, sampleManifest),
        framed<Project::Core>("ProjectCore", 0x0091, 0x000A, 11, sampleProject),
        framed<Project::Status>("ProjectStatus", 0x0091, 0x0001, 3, [] { return sampleProject().status; }),
        framed<Project::OtdrTestSet>("ProjectOtdrTestSet", 0x0091, 0x0004, 4, testSetOf<Project::OtdrTestSet>),
        framed<Project::ImageTestSet>("ProjectImageTestSet", 0x0091, 0x0010, 1, testSetOf<Project::ImageTestSet>),
        framed<Project::CopperTestSet>("ProjectCopperTestSet", 0x0091, 0x000C, 2, testSetOf<Project::CopperTestSet>),
        framed<Project::LossLengthTestSet>("ProjectLossLengthTestSet", 0x0091, 0x000E, 3,
                                           testSetOf<Project::LossLengthTestSet>),
        framed<EquipmentInformation>("EquipmentInformation", 0x0051, 0x0003, 3,
                                     [] { return kx::test::cat6APermanentLinkTest()->getMainEquipInfo(); }),
        framed<ChannelTable>("ChannelTable", 0x0091, 0x0001, 1, channels),
        framed<ResultSummary>("ResultSummary", 0x0051, 0x0001, 1, [] { return fiberSummary(); }),
    };
    return all;
}

class FramedObject : public testing::TestWithParam<size_t> {
protected:
    const Framed& object() const { return table().at(GetParam()); }
};

TEST_P(FramedObject, HeaderCountAndReadBackThenRefusals) {
    const auto bytes = object().write();
    ASSERT_GT(bytes.size(), kHeaderBytes);
    const std::vector<uint8_t> head(bytes.begin(), bytes.begin() + kTypeIdOffset + 4);
    EXPECT_EQ(head,
              (std::vector<uint8_t>{0xCD, 0xAB, 0x01, object().classVersion, static_cast<uint8_t>(object().domain),
                                    static_cast<uint8_t>(object().domain >> 8), static_cast<uint8_t>(object().code),
                                    static_cast<uint8_t>(object().code >> 8)}));
    EXPECT_EQ(kx::test::get32(bytes, kLengthOffset), bytes.size() - kHeaderBytes);
    EXPECT_EQ(object().counted(), bytes.size());
    std::vector<uint8_t> again;
    ASSERT_EQ(object().read(bytes, &again), Marshal::ok);
    EXPECT_EQ(again, bytes);

    auto newer = bytes;
    newer[kClassVersionOffset] = static_cast<uint8_t>(object().classVersion + 1);
    EXPECT_EQ(object().read(newer, nullptr), Marshal::versionTooNew);
    for (size_t at = kTypeIdOffset; at < kTypeIdOffset + 4; ++at) {
        auto other = bytes;
        other[at] ^= 0x01;
        EXPECT_EQ(object().read(other, nullptr), Marshal::invalidData) << "type id byte " << at;
    }
    for (size_t n = 0; n < bytes.size(); ++n)
        ASSERT_NE(
            object().read(std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n)), nullptr),
            Marshal::ok)
            << n << " of " << bytes.size() << " bytes";
}

INSTANTIATE_TEST_SUITE_P(EveryArea, FramedObject, testing::Range<size_t>(0, table().size()),
                         [](const testing::TestParamInfo<size_t>& info) { return table().at(info.param).name; });

}  // namespace
