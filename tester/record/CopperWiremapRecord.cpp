// The wiremap of a record's copper test: the host's wiremap test, its three text lines and its picture.
#include <cstring>

#include "copper/CopperTest.h"
#include "tester/record/CopperRecordUtil.h"
#include "tester/record/EnumConverter.h"
#include "tester/record/TarvelWiremap.h"
#include "tester/record/TestRecordTarvel.h"

namespace Kestrix::Tester {

namespace {

Meascop::LiaId liaOf(int32_t code) {
    return code >= 0 && code <= 0xFFFF ? static_cast<Meascop::LiaId>(code) : Meascop::LiaId{0};
}

// Host pair id of the two split pairs, lower pair first (6 for pairs 12 and 36 ... 14 for 45 and 78).
boost::optional<int> splitPairId(const Wiremap& w) {
    if (w.splitPairs.empty()) return boost::none;
    int p = static_cast<int>(w.splitPairs.front().pair1);
    int q = static_cast<int>(w.splitPairs.front().pair2);
    if (p > q) std::swap(p, q);
    if (p < 1 || q > 4 || p == q) return boost::none;
    static const int kIds[5][5] = {{0, 0, 0, 0, 0}, {0, 0, 6, 7, 8}, {0, 0, 0, 10, 11}, {0, 0, 0, 0, 14}, {}};
    return kIds[p][q];
}

bool shown(Kestrix::Status s) { return s != Kestrix::Status::notSet && s != Kestrix::Status::dontShow; }

}  // namespace

namespace copper {

WireMapData displayData(const CopperTest& test) {
    return WireMapData(&test.body.wiremap, &test.body.outletConfig, liaOf(test.getMainEquipInfo().liaId),
                       liaOf(test.getRemoteEquipInfo().liaId));
}

}  // namespace copper

bool TestRecordTarvel::HasWireMapTest() {
    const CopperTest* test = GetCopperTest();
    return test != nullptr && shown(test->body.wiremap.status);
}

boost::optional<WireMapTest> TestRecordTarvel::GetWireMapTest() {
    if (!HasWireMapTest()) return boost::none;
    const CopperTest* test = GetCopperTest();
    const Wiremap& w = test->body.wiremap;
    WireMapTest t;
    t.Status = EnumConverter::Status(w.status);
    t.WireMapTypeText = test->body.outletConfig.name;
    t.BadPatchNear = w.isNearBadPatch;
    t.BadPatchFar = w.isFarBadPatch;
    t.IsAcMap = w.isAcMap;
    t.ShieldTest = test->getSettings().shieldTest ? 1 : 2;
    t.SplitPair = splitPairId(w);
    t.Brief = 15;
    return t;
}

std::vector<std::string> TestRecordTarvel::GetWireMapText() {
    std::vector<std::string> lines;
    const CopperTest* test = GetCopperTest();
    if (test == nullptr) return lines;
    const WireMapData data = copper::displayData(*test);
    const bool m12 = data.outletFamily() == WireMapData::OutletFamily::m12;
    for (int line = 0; line <= 2; ++line) {
        char buffer[32] = {};
        if (data.textLineOut(line, buffer, static_cast<int>(sizeof buffer) - 1) == nullptr) continue;
        std::string text(buffer, strnlen(buffer, 30));
        if (m12 && text.size() >= 15)
            for (size_t at : {8u, 10u, 12u, 14u}) text[at] = ' ';
        lines.push_back(std::move(text));
    }
    return lines;
}

boost::optional<std::vector<uint8_t>> TestRecordTarvel::GetWireMapBitmap(const WireMapTest& wireMapTest) {
    const CopperTest* test = GetCopperTest();
    if (test == nullptr) return boost::none;
    const WireMapData data = copper::displayData(*test);
    std::vector<uint8_t> bmp = TarvelWiremap::renderBmp(data, wireMapTest.Meters, wireMapTest.LengthUnit);
    if (bmp.empty()) return boost::none;
    return bmp;
}

boost::optional<std::vector<uint8_t>> TestRecordTarvel::GetWireMapPng(const WireMapTest& wireMapTest) {
    const CopperTest* test = GetCopperTest();
    if (test == nullptr) return boost::none;
    const WireMapData data = copper::displayData(*test);
    std::vector<uint8_t> png = TarvelWiremap::renderPng(data, wireMapTest.Meters, wireMapTest.LengthUnit);
    if (png.empty()) return boost::none;
    return png;
}

}  // namespace Kestrix::Tester
