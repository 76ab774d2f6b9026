#include "tester/record/HostRecordText.h"

#include <cmath>
#include <cstdio>
#include <sstream>

#include "copper/CopperResult.h"
#include "fiber/FiberLossLengthTest.h"
#include "fiber/FiberOtdrTest.h"
#include "fiber/FiberPowerMeterTest.h"
#include "fiber/FiberResult.h"
#include "tester/host/HostStatus.h"
#include "tester/record/EnumConverter.h"
#include "tester/record/TestRecordTarvel.h"

namespace Kestrix::Tester {

namespace {

std::string printable(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) c = '?';
    }
    return out;
}

std::string value(const ScaledInt& v, const char* unit) {
    if (!v.isFinite()) return "-";
    return v.toString() + " " + unit;
}

std::string metres(double m) {
    if (!std::isfinite(m)) return "unknown";
    char text[64];
    std::snprintf(text, sizeof text, "%.1f m (%.1f ft)", m, MeasUnitConverter::ToFeet(m));
    return text;
}

std::string testerLine(const Tester& t) {
    std::string line = "model " + std::to_string(t.ModelID) + ", serial " + printable(t.TesterSerialNumber);
    if (!t.TesterSoftwareVersion.empty()) line += ", software " + printable(t.TesterSoftwareVersion);
    if (!t.ModuleName.empty() || !t.ModuleSerialNumber.empty())
        line += ", module " + printable(t.ModuleName) + " " + printable(t.ModuleSerialNumber);
    line += ", calibrated " + HxDataDate::ToIso8601(t.ModuleCalDate).substr(0, 10);
    return line;
}

// Key figures of one fiber test: per wavelength loss or power, and the length where there is one.
std::string fiberFigures(const FiberTest& test, int testId) {
    std::ostringstream out;
    const char* sep = "";
    if (const auto* otdr = dynamic_cast<const FiberOtdrTest*>(&test)) {
        out << "length " << value(otdr->overallResults.lengthTolMeas.value, "m");
        sep = ", ";
        for (const auto& wl : otdr->overallResults.perWls()) {
            if (wl.wavelength == 0) continue;
            out << sep << wl.wavelength << " nm " << value(wl.overallLossTolMeas.value, "dB");
        }
    } else if (const auto* ll = dynamic_cast<const FiberLossLengthTest*>(&test)) {
        out << "length " << value(ll->length, "m");
        sep = ", ";
        const CableEnd direction = testId == 21 ? CableEnd::end2 : CableEnd::end1;
        for (const auto& e : ll->testPerDirectionWlVec)
            if (e.direction == direction) out << sep << e.wavelength << " nm " << value(e.dB(), "dB");
    } else if (const auto* pm = dynamic_cast<const FiberPowerMeterTest*>(&test)) {
        for (const auto& wl : pm->testPerWlVec) {
            if (!(wl.wavelength > 0.0f && wl.wavelength < 1e6f)) continue;
            out << sep << static_cast<int>(wl.wavelength) << " nm " << value(wl.power.dBm(), "dBm");
            sep = ", ";
        }
    }
    return out.str();
}

std::string copperFigures(const CopperTest& test, CopperTestType type) {
    if (type == CopperTestType::length) {
        const auto shortest = test.shortestLength();
        return shortest.index < 0 ? "" : "shortest pair " + value(shortest.value, "m");
    }
    // Frequency-domain measurements: the worst margin over every pair and end.
    const ScaledInt* worst = nullptr;
    ScaledInt margin;
    for (const CopperFreq& f : test.body.copperfreqs.freqs) {
        if (f.testType != type) continue;
        const ScaledInt m = f.getWmMargin();
        if (!m.isFinite() || (worst != nullptr && m.toDouble() >= worst->toDouble())) continue;
        margin = m;
        worst = &margin;
    }
    return worst == nullptr ? "" : "worst margin " + value(*worst, "dB");
}

}  // namespace

const char* hostStatusText(int status) {
    switch (status) {
        case kHostStatusFail: return "FAIL";
        case kHostStatusPassStar: return "PASS*";
        case kHostStatusPass: return "PASS";
        case kHostStatusNotSet: return "-";
        case kHostStatusPassAcceptable: return "PASS (acceptable)";
        default: return "?";
    }
}

std::string hostRecordText(TestRecordTarvel& record) {
    std::ostringstream out;
    RecordSummary summary;
    if (record.SerializedResult().empty() || !TestRecordTarvel::LoadSummary(&summary, record.SerializedResult())) {
        out << "not a readable result file\n";
        return out.str();
    }
    const auto meta = record.ExtractMetaDataFromResult();
    const bool tooNew = record.LastRecTooNew();
    const double length = meta ? meta->LengthMeters : summary.LengthMeters;
    const int media = meta ? meta->Media : summary.Media;
    out << "Cable ID:  " << printable(summary.CableID) << '\n';
    out << "Date:      " << HxDataDate::ToIso8601(summary.TestDate) << '\n';
    out << "Status:    " << hostStatusText(summary.Status) << '\n';
    out << "Media:     " << (media == kMediaFiber ? "fiber" : media == kMediaCoax ? "coax" : "twisted pair") << '\n';
    out << "Length:    " << metres(length) << '\n';
    if (!meta) {
        out << (tooNew ? "The result was written by a newer tester version; its tests cannot be read.\n"
                       : "The result's tests cannot be read.\n");
        return out.str();
    }

    const auto tests = record.GetTests();
    // Testers and limit: of the first test (a copper record has one copper test).
    const auto first = record.GetTestMetaData(tests.empty() || record.IsCopper() ? 0 : tests.front().TestId);
    if (first) {
        if (first->Tester1) out << "Tester:    " << testerLine(*first->Tester1) << '\n';
        if (first->Tester2) out << "Remote:    " << testerLine(*first->Tester2) << '\n';
        if (!first->LimitName.empty()) {
            out << "Limit:     " << printable(first->LimitName);
            if (first->LimitVersion && !first->LimitVersion->empty())
                out << " (" << printable(*first->LimitVersion) << ')';
            out << '\n';
        }
        if (!first->CableTypeFromResult.empty()) out << "Cable:     " << printable(first->CableTypeFromResult) << '\n';
        if (!first->OperatorFromResult.empty()) out << "Operator:  " << printable(first->OperatorFromResult) << '\n';
    }
    out << "Tests:\n";
    const FiberResult* fiber = record.IsFiber() ? record.GetFiberResult() : nullptr;
    const CopperTest* copper = record.IsCopper() ? record.GetCopperTest() : nullptr;
    if (tests.empty()) out << "  (none)\n";
    for (const RecordTest& t : tests) {
        std::string figures;
        if (fiber != nullptr) {
            if (const FiberTest* test = fiber->getTest(EnumConverter::KestrixShareFibTestType(t.TestId)))
                figures = fiberFigures(*test, t.TestId);
        } else if (copper != nullptr) {
            figures = copperFigures(*copper, EnumConverter::KestrixShareCuTestType(t.TestId));
        }
        char head[96];
        std::snprintf(head, sizeof head, "  %-24s %-6s", printable(t.Name).c_str(), hostStatusText(t.Status));
        std::string line = head;
        if (!figures.empty()) line += "  " + figures;
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out << line << '\n';
    }
    return out.str();
}

}  // namespace Kestrix::Tester
