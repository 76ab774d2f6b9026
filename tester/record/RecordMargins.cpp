// Judged figures of a record, computed from its host tests.
#include "tester/record/RecordMargins.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "tester/host/HostStatus.h"
#include "tester/record/CopperRecordJson.h"
#include "tester/record/TestRecordTarvel.h"

namespace Kestrix::Tester {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double paramValue(const SingleMeasurement& m, MeasKind kind) {
    const MeasParam* p = m.Find(kind);
    return p != nullptr ? p->Value : kNaN;
}

int paramPrecision(const SingleMeasurement& m, MeasKind kind, int fallback) {
    const MeasParam* p = m.Find(kind);
    return p != nullptr ? std::clamp(p->Precision, 0, 4) : fallback;
}

// One figure per limit the measurement carries (a maximum, a minimum, or both).
void addLimited(std::vector<JudgedFigure>& out, JudgedFigure base, const SingleMeasurement& m) {
    base.value = paramValue(m, MeasKind::Value);
    if (!std::isfinite(base.value)) return;
    base.precision = paramPrecision(m, MeasKind::Value, base.precision);
    base.status = m.Status;
    const double upper = paramValue(m, MeasKind::UpperLimit);
    if (std::isfinite(upper)) {
        JudgedFigure f = base;
        f.limit = upper;
        f.upperLimit = true;
        f.margin = upper - f.value;
        f.storedMargin = paramValue(m, MeasKind::MarginUpper);
        out.push_back(f);
    }
    const double lower = paramValue(m, MeasKind::LowerLimit);
    if (std::isfinite(lower)) {
        JudgedFigure f = base;
        f.limit = lower;
        f.upperLimit = false;
        f.margin = f.value - lower;
        f.storedMargin = paramValue(m, MeasKind::MarginLower);
        out.push_back(f);
    }
}

void copperFigures(TestRecordTarvel& record, std::vector<JudgedFigure>& out) {
    const auto& freqIds = copperFrequencyTestIds();
    const auto& scalarIds = copperScalarTestIds();
    for (const RecordTest& t : record.GetTests()) {
        if (std::find(freqIds.begin(), freqIds.end(), t.TestId) != freqIds.end()) {
            const auto ft = record.GetFrequencyTest(t.TestId);
            if (!ft) continue;
            for (const SingleMeasurement& m : ft->Measurements) {
                if (!m.IsWorstMarginSpecified) continue;
                JudgedFigure f;
                f.kind = FigureKind::swept;
                f.testId = t.TestId;
                f.test = t.Name;
                f.unit = "dB";
                f.pair = m.Pair;
                f.pairLabel = ft->PairText.LabelOf(m.Pair);
                f.end = m.CopperEnd;
                f.frequencyMHz = paramValue(m, MeasKind::Frequency);
                if (!(f.frequencyMHz > 0)) f.frequencyMHz = kNaN;
                addLimited(out, f, m);
            }
        } else if (std::find(scalarIds.begin(), scalarIds.end(), t.TestId) != scalarIds.end()) {
            const auto st = record.GetScalarTest(t.TestId);
            if (!st) continue;
            for (const SingleMeasurement& m : st->Measurements) {
                JudgedFigure f;
                f.kind = FigureKind::scalar;
                f.testId = t.TestId;
                f.test = t.Name;
                f.unit = copperScalarUnit(t.TestId);
                f.pair = m.Pair;
                f.pairLabel = st->PairText.LabelOf(m.Pair);
                const size_t before = out.size();
                addLimited(out, f, m);
                if (t.TestId != 1 || st->IsCoax) continue;
                // The length limit of a twisted-pair link allows 10 % for the NVP's uncertainty.
                for (size_t i = before; i < out.size(); ++i) {
                    JudgedFigure& l = out[i];
                    if (!l.upperLimit) continue;
                    l.limitNote = figureNumber(l, l.limit) + " " + l.unit + " + 10 %";
                    l.limit *= 1.1;
                    l.margin = l.limit - l.value;
                    l.storedMargin = kNaN;  // stored against the bare maximum
                }
            }
        }
    }
}

void otdrFigures(const OtdrTest& t, int end, std::vector<JudgedFigure>& out) {
    if (t.OverallLength) {
        JudgedFigure f;
        f.kind = FigureKind::length;
        f.testId = t.Id;
        f.test = "OTDR length";
        f.unit = "m";
        f.end = end;
        addLimited(out, f, *t.OverallLength);
    }
    for (const OtdrWavelengthData& w : t.Wavelengths) {
        for (const FiberMeasurement& m : w.Measurements) {
            if (m.MeasurementType != 1 && m.MeasurementType != 3) continue;
            JudgedFigure f;
            f.kind = m.MeasurementType == 1 ? FigureKind::linkLoss : FigureKind::scalar;
            f.testId = t.Id;
            f.test = m.MeasurementType == 1 ? "Link loss" : "ORL";
            f.unit = "dB";
            f.end = end;
            f.wavelength = w.Wavelength;
            addLimited(out, f, m);
        }
    }
}

void fiberFigures(TestRecordTarvel& record, std::vector<JudgedFigure>& out) {
    bool lengthDone = false;  // one length for both directions
    for (int end : {1, 2}) {
        const auto loss = record.GetLossTest(end);
        if (!loss) continue;
        if (loss->LengthMeasurement && !lengthDone) {
            lengthDone = true;
            JudgedFigure f;
            f.kind = FigureKind::length;
            f.testId = loss->Id;
            f.test = "Length";
            f.unit = "m";
            addLimited(out, f, *loss->LengthMeasurement);
        }
        for (const FiberMeasurement& m : loss->Measurements) {
            JudgedFigure f;
            f.kind = FigureKind::loss;
            f.testId = loss->Id;
            f.test = "Loss";
            f.unit = "dB";
            f.precision = 2;
            f.end = end;
            f.wavelength = m.Wavelength.value_or(0);
            addLimited(out, f, m);
        }
    }
    for (int end : {1, 2, 3}) {
        if (!record.HasOtdrTest(end)) continue;
        if (const auto t = record.GetOtdrTest(end)) otdrFigures(*t, end, out);
    }
}

bool countsForWorst(const JudgedFigure& f) {
    if (!hostStatusJudged(f.status)) return false;
    return f.kind == FigureKind::swept || f.kind == FigureKind::loss || f.kind == FigureKind::linkLoss;
}

}  // namespace

const char* copperScalarUnit(int testId) {
    switch (testId) {
        case 1: return "m";
        case 2:
        case 3: return "ns";
        default: return "ohm";
    }
}

JudgedFigure::JudgedFigure() : storedMargin(kNaN), frequencyMHz(kNaN) {}

bool JudgedFigure::negative() const {
    return std::isfinite(margin) && std::llround(margin * std::pow(10.0, precision)) < 0;
}

bool JudgedFigure::storedDisagrees() const {
    return std::isfinite(storedMargin) && std::fabs(storedMargin - margin) > 1.5 * std::pow(10.0, -precision);
}

RecordMargins recordMargins(TestRecordTarvel& record) {
    RecordMargins r;
    if (!record.ExtractMetaDataFromResult()) return r;
    if (record.IsCopper()) {
        copperFigures(record, r.figures);
    } else if (record.IsFiber()) {
        fiberFigures(record, r.figures);
    }
    for (const JudgedFigure& f : r.figures)
        if (countsForWorst(f) && (!r.worst || f.margin < r.worst->margin)) r.worst = f;
    return r;
}

std::string figureNumber(const JudgedFigure& f, double v) {
    if (!std::isfinite(v)) return "-";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", f.precision, v);
    std::string s = buf;
    // A negative value that rounds to zero is shown as zero.
    if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
    return s;
}

std::string marginText(const JudgedFigure& f) { return figureNumber(f, f.margin) + " " + f.unit; }

std::string figureWhere(const JudgedFigure& f) {
    std::string s;
    const auto add = [&s](const std::string& part) {
        if (part.empty()) return;
        if (!s.empty()) s += ", ";
        s += part;
    };
    if (std::isfinite(f.frequencyMHz)) {
        char buf[48];
        std::snprintf(buf, sizeof buf, "%.1f MHz", f.frequencyMHz);
        add(buf);
    }
    if (f.wavelength > 0) add(std::to_string(f.wavelength) + " nm");
    add(f.pairLabel);
    // Copper ends are main and remote; fiber ends are numbered.
    const bool copper = f.kind == FigureKind::swept || (f.kind == FigureKind::scalar && f.wavelength == 0);
    if (copper) {
        if (f.end == 1) add("main");
        if (f.end == 2) add("remote");
    } else {
        if (f.end == 1 || f.end == 2) add("end " + std::to_string(f.end));
        if (f.end == 3) add("bidirectional");
    }
    return s;
}

std::string describeMargin(const JudgedFigure& f) {
    const std::string where = figureWhere(f);
    std::string s = f.test + " " + marginText(f);
    if (f.kind == FigureKind::swept || f.kind == FigureKind::loss || f.kind == FigureKind::linkLoss) {
        if (!where.empty()) s += " at " + where;
        return s;
    }
    s += " (" + figureNumber(f, f.value) + " " + f.unit + (f.upperLimit ? ", maximum " : ", minimum ") +
         figureNumber(f, f.limit) + " " + f.unit + (f.limitNote.empty() ? "" : " = " + f.limitNote) + ")";
    if (!where.empty()) s += ", " + where;
    return s;
}

}  // namespace Kestrix::Tester
