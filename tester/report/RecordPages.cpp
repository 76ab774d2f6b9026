// Record pages: the header and the tables and pictures of each kind of result.
#include "tester/report/RecordPages.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>

#include "common/EquipmentInformation.h"
#include "copper/CopperTest.h"
#include "tester/record/CopperRecordJson.h"
#include "tester/record/RecordCalibration.h"
#include "tester/record/RecordVerdict.h"
#include "tester/record/TestRecordTarvel.h"
#include "tester/report/RecordPlots.h"
#include "tester/report/SummaryRows.h"
#include "tester/session/Sysinfo.h"

namespace Kestrix::Report {

namespace {

using Tester::JudgedFigure;
using Tester::TestRecordTarvel;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kFeetPerMetre = 3.2808399;
constexpr double kGap = 8;
// Small multiples: three to a row across the page.
constexpr double kSmallW = (kContentWidth - 2 * kGap) / 3;
constexpr double kSmallH = 128;
// Columns a page's traces are cut down to: about two per point of the page's width.
constexpr size_t kTraceColumns = 600;
constexpr size_t kCopperColumns = 150;

std::string num(double v, int precision) {
    if (!std::isfinite(v)) return "-";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", precision, v);
    std::string s = buf;
    if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
    return s;
}

std::string dateOnly(Tester::HostDate d) { return Tester::HxDataDate::ToIso8601(d).substr(0, 10); }

double paramValue(const Tester::SingleMeasurement& m, Tester::MeasKind kind) {
    const Tester::MeasParam* p = m.Find(kind);
    return p != nullptr ? p->Value : kNaN;
}

Cell statusCell(int status) { return Cell(statusWord(status), statusTone(status), true); }

Cell marginCell(const JudgedFigure& f) {
    return Cell(Tester::figureNumber(f, f.margin), f.negative() ? Tone::fail : Tone::normal, f.negative());
}

std::string modelName(const EquipmentInformation& e) {
    const std::string name = Tester::modelDisplayName(e.modelIdStr);
    return name != "N/A" ? name : cleanText(e.modelIdStr, 40);
}

std::string unitLine(const boost::optional<Tester::Tester>& t, const std::string& model) {
    if (!t) return "-";
    std::string s = model.empty() ? "model " + std::to_string(t->ModelID) : model;
    s += " " + cleanText(t->TesterSerialNumber, 40);
    if (!t->TesterSoftwareVersion.empty()) s += ", software " + cleanText(t->TesterSoftwareVersion, 40);
    if (!t->ModuleName.empty() || !t->ModuleSerialNumber.empty())
        s += ", module " + cleanText(t->ModuleName, 40) + " " + cleanText(t->ModuleSerialNumber, 40);
    s += ", calibrated " + dateOnly(t->ModuleCalDate);
    return s;
}

// Equipment of the main and the remote unit as the decoded result stores it (for the model's name).
void equipmentNames(TestRecordTarvel& record, std::string& main, std::string& remote) {
    if (const CopperTest* t = record.IsCopper() ? record.GetCopperTest() : nullptr) {
        main = modelName(t->body.mainEquipInfo);
        remote = modelName(t->body.remoteEquipInfo);
    }
}

FieldGrid headerFields(TestRecordTarvel& record, const SummaryRow& row, const ReportOptions& o,
                       const Tester::RecordMargins& margins, const Tester::VerdictCheck& check) {
    FieldGrid g;
    const auto tests = record.GetTests();
    const auto tm = record.GetTestMetaData(record.IsCopper() || tests.empty() ? 0 : tests.front().TestId);
    g.fields.push_back({"Project", Cell(row.project.empty() ? "-" : row.project)});
    g.fields.push_back({"Site", Cell(row.site.empty() ? "-" : row.site)});
    g.fields.push_back({"Date", Cell(row.date + " UTC")});
    if (!row.operatorName.empty()) {
        g.fields.push_back({"Operator", Cell(row.operatorName)});
    } else {
        g.fields.push_back({"Operator", Cell(o.operatorName.empty() ? "-" : cleanText(o.operatorName) + " (given)")});
    }
    std::string limit = row.limit.empty() ? "-" : row.limit;
    if (tm && tm->LimitVersion && !tm->LimitVersion->empty()) limit += " (" + cleanText(*tm->LimitVersion, 40) + ")";
    g.fields.push_back({"Limit", Cell(limit)});
    std::string cable = row.cableType.empty() ? "-" : row.cableType;
    if (tm && tm->NVP && std::isfinite(*tm->NVP)) cable += ", NVP " + num(*tm->NVP, 1) + " %";
    g.fields.push_back({record.IsFiber() ? "Fiber" : "Cable type", Cell(cable)});
    std::string mainModel = row.testerModel, remoteModel;
    equipmentNames(record, mainModel, remoteModel);
    g.fields.push_back({"Main unit", Cell(tm ? unitLine(tm->Tester1, mainModel) : "-")});
    g.fields.push_back({"Remote unit", Cell(tm ? unitLine(tm->Tester2, remoteModel) : "-")});
    std::string verdict = statusWord(row.status);
    if (margins.worst) verdict += ", worst margin " + cleanText(Tester::describeMargin(*margins.worst));
    g.fields.push_back(
        {"Result",
         Cell(verdict, margins.worst && margins.worst->negative() ? Tone::fail : statusTone(row.status), true)});
    if (check.conflict)
        g.fields.push_back({"Verdict conflict", Cell(cleanText(check.details(), 600), Tone::fail, true)});
    return g;
}

// --- copper ---

struct EndWorst {
    const JudgedFigure* margin = nullptr;
    double wvValue = kNaN, wvFrequency = kNaN, wvMargin = kNaN;
    int wvPair = 0;
};

Table frequencyTable(TestRecordTarvel& record, const Tester::RecordMargins& margins) {
    Table t;
    t.caption = "Frequency tests: worst case per end";
    t.columns = {{"Test", 78},
                 {"End", 38},
                 {"Result", 48},
                 {"dB", 38, true, "Worst margin", "dB"},
                 {"MHz", 40, true, "Worst margin", "MHz"},
                 {"Pair", 40, false, "Worst margin"},
                 {"Value", 36, true, "Worst margin", "dB"},
                 {"Limit", 36, true, "Worst margin", "dB"},
                 {"dB", 38, true, "Worst value", "dB"},
                 {"MHz", 40, true, "Worst value", "MHz"},
                 {"Pair", 40, false, "Worst value"}};
    for (int id : Tester::copperFrequencyTestIds()) {
        const auto ft = record.GetFrequencyTest(id);
        if (!ft || ft->Measurements.empty()) continue;
        std::string name;
        for (const auto& rt : record.GetTests())
            if (rt.TestId == id) name = rt.Name;
        for (int end : {1, 2}) {
            EndWorst w;
            for (const JudgedFigure& f : margins.figures)
                if (f.kind == Tester::FigureKind::swept && f.testId == id && f.end == end &&
                    (w.margin == nullptr || f.margin < w.margin->margin))
                    w.margin = &f;
            for (const auto& m : ft->Measurements) {
                if (m.IsWorstMarginSpecified || m.CopperEnd != end) continue;
                const double value = paramValue(m, Tester::MeasKind::Value);
                double limit = paramValue(m, Tester::MeasKind::UpperLimit);
                double margin = limit - value;
                if (!std::isfinite(limit)) {
                    limit = paramValue(m, Tester::MeasKind::LowerLimit);
                    margin = value - limit;
                }
                if (!std::isfinite(value)) continue;
                if (std::isnan(w.wvValue) || (std::isfinite(margin) && !(margin >= w.wvMargin))) {
                    w.wvValue = value;
                    w.wvMargin = std::isfinite(margin) ? margin : w.wvMargin;
                    w.wvFrequency = paramValue(m, Tester::MeasKind::Frequency);
                    w.wvPair = m.Pair;
                }
            }
            if (w.margin == nullptr && std::isnan(w.wvValue)) continue;
            std::vector<Cell> r = {Cell(cleanText(name), Tone::normal, true), Cell(end == 1 ? "main" : "remote")};
            if (w.margin != nullptr) {
                const JudgedFigure& f = *w.margin;
                r.push_back(statusCell(f.status));
                r.push_back(marginCell(f));
                r.push_back(Cell(num(f.frequencyMHz, 1)));
                r.push_back(Cell(pairName(ft->PairText, f.pair)));
                r.push_back(Cell(num(f.value, 1)));
                r.push_back(Cell(num(f.limit, 1)));
            } else {
                r.insert(r.end(), {Cell("-", Tone::muted), Cell("-"), Cell("-"), Cell("-"), Cell("-"), Cell("-")});
            }
            r.push_back(Cell(num(w.wvValue, 1)));
            r.push_back(Cell(num(w.wvFrequency, 1)));
            r.push_back(Cell(pairName(ft->PairText, w.wvPair)));
            t.rows.push_back(std::move(r));
        }
    }
    return t;
}

Table scalarTable(TestRecordTarvel& record, const Tester::RecordMargins& margins) {
    Table t;
    t.caption = "Scalar tests";
    t.columns = {{"Test", 100}, {"Unit", 28},         {"Value by pair", 176},
                 {"Limit", 74}, {"Worst margin", 80}, {"Result", 48}};
    for (int id : Tester::copperScalarTestIds()) {
        const auto st = record.GetScalarTest(id);
        if (!st || st->Measurements.empty()) continue;
        std::string name;
        int status = st->Status;
        for (const auto& rt : record.GetTests())
            if (rt.TestId == id) name = rt.Name;
        std::string values;
        for (const auto& m : st->Measurements) {
            const Tester::MeasParam* v = m.Find(Tester::MeasKind::Value);
            if (v == nullptr) continue;
            const std::string pair = pairName(st->PairText, m.Pair);
            values += (values.empty() ? "" : "  ") + (pair.empty() ? "" : pair + ": ") +
                      num(v->Value, std::clamp(v->Precision, 0, 4));
        }
        const JudgedFigure* worst = nullptr;
        std::string limitText;
        for (const JudgedFigure& f : margins.figures) {
            if (f.kind != Tester::FigureKind::scalar || f.testId != id) continue;
            const std::string l = std::string(f.upperLimit ? "max " : "min ") + Tester::figureNumber(f, f.limit) +
                                  (f.limitNote.empty() ? "" : " (" + f.limitNote + ")");
            if (limitText.find(l) == std::string::npos) limitText += (limitText.empty() ? "" : ", ") + l;
            if (worst == nullptr || f.margin < worst->margin) worst = &f;
        }
        std::vector<Cell> r = {Cell(cleanText(name), Tone::normal, true), Cell(Tester::copperScalarUnit(id)),
                               Cell(values), Cell(limitText.empty() ? "-" : limitText)};
        if (worst != nullptr) {
            Cell c = marginCell(*worst);
            const std::string pair = pairName(st->PairText, worst->pair);
            if (!pair.empty()) c.text += " (" + pair + ")";
            r.push_back(c);
        } else {
            r.push_back(Cell("-"));
        }
        r.push_back(statusCell(status));
        t.rows.push_back(std::move(r));
    }
    return t;
}

// The pictures a copper page shows: the wiremap and the key plots (and every failing test's plots).
FigureGrid copperFigures(TestRecordTarvel& record, const ReportOptions& o) {
    FigureGrid grid;
    grid.columns = 3;
    if (hasWiremapPicture(record)) {
        if (auto wm = record.GetWireMapTest()) {
            auto own = std::make_shared<TestRecordTarvel>(record.SerializedResult());
            Picture full = wiremapPicture(std::move(own), *wm, o.feet, true);
            Picture p = full;
            p.width = kSmallW;
            p.height = kSmallH;
            const double scale = std::min(kSmallW / full.width, kSmallH / full.height);
            p.draw = [full, scale](Painter& painter) {
                painter.save();
                painter.scale(scale);
                full.draw(painter);
                painter.restore();
            };
            grid.pictures.push_back(std::move(p));
        }
    }
    PlotOptions po;
    po.feet = o.feet;
    po.compact = true;
    po.columns = kCopperColumns;
    static const int kKey[] = {7, 8, 9, 14};
    std::vector<std::string> left;
    std::map<int, bool> pairSeen;
    for (const CopperView& v : copperViews(record, po)) {
        if (v.timeDomain) continue;
        const bool key = std::find(std::begin(kKey), std::end(kKey), v.testId) != std::end(kKey);
        if (!key && v.status != Tester::kHostStatusFail) {
            if (std::find(left.begin(), left.end(), v.name) == left.end()) left.push_back(v.title);
            continue;
        }
        for (const auto& c : v.curves) pairSeen[c.pair] = true;
        grid.pictures.push_back(smallCopperPicture(v, kSmallW, kSmallH));
    }
    for (const auto& [pair, seen] : pairSeen) {
        std::string label = "pair";
        for (int id : {7, 8}) {
            const auto labels = record.GetPairLabels(id);
            const std::string l = pairName(labels, pair);
            if (!l.empty()) label = l;
        }
        grid.legend.push_back({label, pairColour(pair)});
    }
    grid.legend.push_back({"limit", colors::kLimit});
    if (!left.empty()) {
        std::string names;
        for (const std::string& n : left)
            if (names.find(n) == std::string::npos) names += (names.empty() ? "" : ", ") + n;
        grid.note = "Also measured and passed (plots with kestrix plot): " + cleanText(names, 400);
    }
    return grid;
}

// --- fiber loss/length and power meter ---

void lossBlocks(TestRecordTarvel& record, const Tester::RecordMargins& margins, const ReportOptions& o,
                RecordPage& page) {
    Table budget;
    budget.caption = "Loss budget";
    budget.columns = {{"Wavelength", 70},
                      {"Direction", 70},
                      {"Loss (dB)", 70, true, "", "dB"},
                      {"Limit (dB)", 70, true, "", "dB"},
                      {"Margin (dB)", 70, true, "", "dB"},
                      {"Result", 60}};
    for (const JudgedFigure& f : margins.figures) {
        if (f.kind != Tester::FigureKind::loss) continue;
        budget.rows.push_back({Cell(std::to_string(f.wavelength) + " nm", Tone::normal, true),
                               Cell(f.end == 2 ? "end 2 to end 1" : "end 1 to end 2"),
                               Cell(Tester::figureNumber(f, f.value)), Cell(Tester::figureNumber(f, f.limit)),
                               marginCell(f), statusCell(f.status)});
    }
    FieldGrid setup;
    setup.columns = 3;
    bool delayShown = false;  // both directions give the link's one delay
    for (int end : {1, 2}) {
        const auto t = record.GetLossTest(end);
        if (!t) continue;
        if (setup.fields.empty()) {
            std::string jumpers;
            for (const auto& j : t->JumperLength) jumpers += (jumpers.empty() ? "" : ", ") + num(j.Value, 1) + " m";
            static const char* kMethods[] = {"-",          "Method A",   "Method B",         "Method C",
                                             "Method A-1", "Method A-2", "Method A-3",       "",
                                             "",           "",           "modified 1 jumper"};
            const int m = t->TestMethod;
            setup.fields.push_back(
                {"Reference method",
                 Cell(m >= 0 && m <= 10 && *kMethods[m] != 0 ? kMethods[m] : "method " + std::to_string(m))});
            setup.fields.push_back({"Jumpers", Cell(jumpers.empty() ? "-" : jumpers)});
            setup.fields.push_back(
                {"Connector type", Cell(t->ConnectorType.empty() ? "-" : cleanText(t->ConnectorType))});
            const auto tm = record.GetTestMetaData(t->Id);
            std::string counts = "-";
            if (tm && (tm->Adapters || tm->Splices))
                counts = std::to_string(tm->Adapters.value_or(0)) + " connectors, " +
                         std::to_string(tm->Splices.value_or(0)) + " splices";
            setup.fields.push_back({"Connectors and splices", Cell(counts)});
            if (!t->Measurements.empty() && t->Measurements.front().LossReferenceDate)
                setup.fields.push_back({"Reference set", Cell(dateOnly(*t->Measurements.front().LossReferenceDate))});
            if (t->IsVendorSystem) setup.fields.push_back({"Limit kind", Cell("vendor system")});
        }
        if (t->PropDelay && !delayShown) {
            delayShown = true;
            setup.fields.push_back(
                {"Propagation delay", Cell(num(paramValue(*t->PropDelay, Tester::MeasKind::Value), 0) + " ns")});
        }
    }
    Table lengthTable;
    lengthTable.caption = "Length";
    lengthTable.columns = {{"Length", 90, true}, {"Limit", 90, true}, {"Margin", 90, true}, {"Result", 60}};
    const double k = o.feet ? kFeetPerMetre : 1.0;
    const std::string unit = o.feet ? " ft" : " m";
    for (const JudgedFigure& f : margins.figures)
        if (f.kind == Tester::FigureKind::length && (f.testId == 20 || f.testId == 21))
            lengthTable.rows.push_back({Cell(num(f.value * k, 1) + unit), Cell(num(f.limit * k, 1) + unit),
                                        Cell(num(f.margin * k, 1) + unit, f.negative() ? Tone::fail : Tone::normal),
                                        statusCell(f.status)});
    // The parts of a length-based budget.
    Table parts;
    parts.caption = "Loss budget from length, connectors and splices";
    parts.columns = {{"Wavelength", 64},
                     {"Length (km)", 58, true, "", "km"},
                     {"Fiber (dB)", 58, true, "", "dB"},
                     {"Connectors", 90, true},
                     {"Splices", 90, true},
                     {"Budget (dB)", 60, true, "", "dB"}};
    for (int end : {1, 2}) {
        const auto t = record.GetLossTest(end);
        if (!t || end == 2) continue;
        for (const auto& d : t->LengthBasedLimitDetails)
            parts.rows.push_back({Cell(std::to_string(d.Wavelength) + " nm"), Cell(num(d.LengthKm, 3)),
                                  Cell(num(d.AttenLoss.Value, 2)),
                                  Cell(std::to_string(d.Connectors) + " x " + num(d.LossPerConnector.Value, 2) + " dB"),
                                  Cell(std::to_string(d.Splices) + " x " + num(d.LossPerSplice.Value, 2) + " dB"),
                                  Cell(num(d.TotalLoss.Value, 2), Tone::normal, true)});
    }
    Table power;
    power.caption = "Power meter";
    power.columns = {{"Wavelength", 80},
                     {"End", 60},
                     {"Power (dBm)", 90, true, "", "dBm"},
                     {"Reference (dBm)", 90, true, "", "dBm"},
                     {"Loss (dB)", 80, true, "", "dB"}};
    for (int end : {1, 2}) {
        const auto t = record.GetPowerTest(end);
        if (!t) continue;
        for (const auto& m : t->Measurements) {
            const Tester::MeasParam* v = m.Find(Tester::MeasKind::Value);
            if (v == nullptr || v->Unit != 2 || !m.Wavelength) continue;
            power.rows.push_back({Cell(std::to_string(*m.Wavelength) + " nm"), Cell("end " + std::to_string(end)),
                                  Cell(num(v->Value, 2)), Cell(num(paramValue(m, Tester::kKindRefPower), 2)),
                                  Cell(num(paramValue(m, Tester::kKindLoss), 2))});
        }
    }
    if (!setup.fields.empty()) page.blocks.push_back(setup);
    if (!budget.rows.empty()) page.blocks.push_back(budget);
    if (!parts.rows.empty()) page.blocks.push_back(parts);
    if (!lengthTable.rows.empty()) page.blocks.push_back(lengthTable);
    if (!power.rows.empty()) page.blocks.push_back(power);
    const auto bars = lossBars(record);
    if (!bars.empty()) {
        FigureGrid g;
        g.columns = 1;
        Picture p = lossPicture(bars, budget.rows.empty() ? "Loss" : "Loss against budget", true);
        p.width = kContentWidth;
        p.height = 190;
        const Picture inner = lossPicture(bars, budget.rows.empty() ? "Loss" : "Loss against budget", true);
        const double scale = kContentWidth / inner.width;
        p.draw = [inner, scale](Painter& painter) {
            painter.save();
            painter.scale(scale);
            inner.draw(painter);
            painter.restore();
        };
        p.height = inner.height * scale;
        g.pictures.push_back(std::move(p));
        page.blocks.push_back(g);
    }
}

// --- OTDR ---

const char* endName(int end) { return end == 1 ? "end 1" : end == 2 ? "end 2" : "bidirectional"; }

Table linkLossTable(const Tester::RecordMargins& margins, TestRecordTarvel& record) {
    Table t;
    t.caption = "Link loss and length per wavelength";
    t.columns = {{"Wavelength", 62},
                 {"From", 72},
                 {"Loss (dB)", 56, true, "", "dB"},
                 {"Limit (dB)", 56, true, "", "dB"},
                 {"Margin (dB)", 60, true, "", "dB"},
                 {"ORL (dB)", 52, true, "", "dB"},
                 {"Length (m)", 60, true, "", "m"},
                 {"Result", 56}};
    for (int end : {1, 2, 3}) {
        if (!record.HasOtdrTest(end)) continue;
        const auto test = record.GetOtdrTest(end);
        if (!test) continue;
        const double length = test->OverallLength ? paramValue(*test->OverallLength, Tester::MeasKind::Value) : kNaN;
        for (const auto& w : test->Wavelengths) {
            const JudgedFigure* loss = nullptr;
            for (const JudgedFigure& f : margins.figures)
                if (f.kind == Tester::FigureKind::linkLoss && f.end == end && f.wavelength == w.Wavelength &&
                    f.upperLimit)
                    loss = &f;
            double measured = kNaN, orl = kNaN;
            int status = Tester::kHostStatusUnknown;
            for (const auto& m : w.Measurements) {
                if (m.MeasurementType == 1) {
                    measured = paramValue(m, Tester::MeasKind::Value);
                    status = m.Status;
                }
                if (m.MeasurementType == 3) orl = paramValue(m, Tester::MeasKind::Value);
            }
            t.rows.push_back({Cell(std::to_string(w.Wavelength) + " nm", Tone::normal, true), Cell(endName(end)),
                              Cell(num(measured, 2)), Cell(loss ? Tester::figureNumber(*loss, loss->limit) : "-"),
                              loss ? marginCell(*loss) : Cell("-"), Cell(num(orl, 1)), Cell(num(length, 1)),
                              statusCell(loss ? loss->status : status)});
        }
    }
    return t;
}

Table acquisitionTable(TestRecordTarvel& record) {
    Table t;
    t.caption = "Acquisition";
    t.columns = {{"From", 44},
                 {"Wavelengths", 96},
                 {"Range (m)", 50, true, "", "m"},
                 {"Pulse (ns)", 60, true, "", "ns"},
                 {"Averaging (s)", 56, true, "", "s"},
                 {"Index of refraction", 110, true},
                 {"Thresholds (dB)", 107, true}};
    for (int end : {1, 2}) {
        if (!record.HasOtdrTest(end)) continue;
        const auto test = record.GetOtdrTest(end);
        if (!test) continue;
        const auto tm = record.GetTestMetaData(end == 1 ? 24 : 25);
        std::string wls, range, pulse, avg, ior, thresholds;
        const auto join = [](std::string& s, const std::string& v) {
            if (s != v && s.find(v) == std::string::npos) s += (s.empty() ? "" : "/") + v;
        };
        for (size_t i = 0; i < test->Wavelengths.size(); ++i) {
            const auto& w = test->Wavelengths[i];
            wls += (wls.empty() ? "" : "/") + std::to_string(w.Wavelength);
            if (w.Settings) {
                if (w.Settings->Range) join(range, num(w.Settings->Range->Value, 0));
                if (w.Settings->PulseWidth) join(pulse, num(w.Settings->PulseWidth->Value, 0));
                if (w.Settings->AveragingTime) join(avg, num(w.Settings->AveragingTime->Value, 0));
                if (thresholds.empty())
                    thresholds = "loss " + num(w.Settings->LossThreshold.Value, 2) + ", end " +
                                 num(w.Settings->EndThreshold.Value, 1);
            }
        }
        if (tm)
            for (const auto& i : tm->IndexOfRefraction)
                if (i) ior += (ior.empty() ? "" : "/") + num(*i, 4);
        t.rows.push_back({Cell(endName(end)), Cell(wls + " nm"), Cell(range.empty() ? "-" : range),
                          Cell(pulse.empty() ? "-" : pulse), Cell(avg.empty() ? "-" : avg),
                          Cell(ior.empty() ? "-" : ior), Cell(thresholds.empty() ? "-" : thresholds)});
    }
    return t;
}

// The event table of one OTDR test: per wavelength loss, reflectance, the attenuation of the section before
// the event and the loss summed from the start; a verdict per event.
Table eventTable(const Tester::OtdrTest& test, int end, bool feet) {
    Table t;
    t.caption = std::string("Events, ") + (end == 3 ? "bidirectional average" : endName(end));
    std::vector<int> wls;
    for (const auto& e : test.MergedEvents)
        for (const auto& ev : e.Events)
            if (ev.Wavelength != 0 && std::find(wls.begin(), wls.end(), ev.Wavelength) == wls.end())
                wls.push_back(ev.Wavelength);
    std::sort(wls.begin(), wls.end());
    if (wls.size() > 4) wls.resize(4);
    const double each =
        wls.empty() ? 0 : std::min(30.0, (kContentWidth - 150) / (4.0 * static_cast<double>(wls.size())));
    t.columns = {
        {"#", 12, true}, {"Type", 50}, {feet ? "Distance (ft)" : "Distance (m)", 46, true, "", feet ? "ft" : "m"}};
    for (int wl : wls) {
        const std::string g = std::to_string(wl) + " nm";
        t.columns.push_back({"Loss", each, true, g, "dB"});
        t.columns.push_back({"Refl.", each, true, g, "dB"});
        t.columns.push_back({"Att.", each, true, g, "dB/km"});
        t.columns.push_back({"Sum", each, true, g, "dB"});
    }
    t.columns.push_back({"Result", 40});
    std::map<int, double> cumulative;
    std::map<int, double> lastLocation;
    const double k = feet ? kFeetPerMetre : 1.0;
    for (size_t i = 0; i < test.MergedEvents.size(); ++i) {
        const auto& e = test.MergedEvents[i];
        std::vector<Cell> r = {Cell(std::to_string(i + 1)), Cell(otdrEventName(e.Type)), Cell(num(e.Location * k, 1))};
        for (int wl : wls) {
            const Tester::OtdrEvent* ev = nullptr;
            for (const auto& x : e.Events)
                if (x.Wavelength == wl) ev = &x;
            if (ev == nullptr) {
                r.insert(r.end(), {Cell("-", Tone::muted), Cell("-", Tone::muted), Cell("-", Tone::muted),
                                   Cell("-", Tone::muted)});
                continue;
            }
            const double loss = paramValue(ev->Loss, Tester::MeasKind::Value);
            const double refl = paramValue(ev->Reflectance, Tester::MeasKind::Value);
            const double atten = paramValue(ev->AttenCoeff, Tester::MeasKind::Value);
            double& sum = cumulative[wl];
            const double from = lastLocation.count(wl) ? lastLocation[wl] : 0.0;
            if (std::isfinite(atten) && std::isfinite(ev->Location) && ev->Location > from)
                sum += (ev->Location - from) / 1000.0 * atten;
            if (std::isfinite(loss)) sum += loss;
            if (std::isfinite(ev->Location)) lastLocation[wl] = ev->Location;
            const Tone lossTone = ev->Loss.Status == Tester::kHostStatusFail ? Tone::fail : Tone::normal;
            const Tone reflTone = ev->Reflectance.Status == Tester::kHostStatusFail ? Tone::fail : Tone::normal;
            r.push_back(Cell(num(loss, 2), lossTone, lossTone == Tone::fail));
            r.push_back(Cell(num(refl, 1), reflTone, reflTone == Tone::fail));
            r.push_back(Cell(num(atten, 2)));
            r.push_back(Cell(num(sum, 2)));
        }
        r.push_back(statusCell(e.Status));
        t.rows.push_back(std::move(r));
    }
    t.fontSize = 6.5;
    t.note =
        "Loss, reflectance (Refl.) and Sum in dB; Att.: attenuation of the fiber before the event in dB/km; "
        "Sum: loss from the start of the trace to the event.";
    return t;
}

void otdrBlocks(TestRecordTarvel& record, const Tester::RecordMargins& margins, const ReportOptions& o,
                RecordPage& page) {
    const Table link = linkLossTable(margins, record);
    if (!link.rows.empty()) page.blocks.push_back(link);
    const Table acq = acquisitionTable(record);
    if (!acq.rows.empty()) page.blocks.push_back(acq);
    PlotOptions po;
    po.feet = o.feet;
    po.compact = true;
    po.columns = kTraceColumns;
    auto views = otdrViews(record, po);
    FigureGrid traces;
    std::vector<OtdrView> pictures;
    std::vector<std::pair<int, std::shared_ptr<const Tester::OtdrTest>>> tables;
    for (auto& [name, view] : views) {
        if (name == "otdr") {
            tables.emplace_back(view.test->Id == 25 ? 2 : 1, view.test);
        } else if (name == "otdr-bidir") {
            tables.emplace_back(3, view.test);
            continue;
        }
        if (name == "otdr" && view.plots) pictures.push_back(std::move(view));
    }
    // One trace across the page, or the two ends side by side.
    traces.columns = pictures.size() >= 2 ? 2 : 1;
    const double w = traces.columns == 2 ? (kContentWidth - 6) / 2 : kContentWidth;
    for (const OtdrView& v : pictures)
        traces.pictures.push_back(smallOtdrPicture("otdr", v, w, traces.columns == 2 ? 150 : 200));
    if (!traces.pictures.empty()) page.blocks.push_back(traces);
    std::vector<Table> events;
    // A stored bidirectional average is what the link is certified by: its events stand for both ends'.
    const bool averaged = std::any_of(tables.begin(), tables.end(),
                                      [](const auto& t) { return t.first == 3 && !t.second->MergedEvents.empty(); });
    for (const auto& [end, test] : tables)
        if (!test->MergedEvents.empty() && (!averaged || end == 3)) events.push_back(eventTable(*test, end, o.feet));
    if (averaged && !events.empty())
        events.back().note += " The events seen from each end are numbered on its trace; kestrix record lists them.";
    // The legend of the columns once, under the last table.
    for (size_t i = 0; i + 1 < events.size(); ++i) events[i].note.clear();
    for (Table& t : events) page.blocks.push_back(std::move(t));
    // Real-time traces, fault maps and images have no table of their own: their pictures say it.
}

void otherFiberBlocks(TestRecordTarvel& record, const ReportOptions& o, RecordPage& page) {
    PlotOptions po;
    po.feet = o.feet;
    po.compact = true;
    po.columns = kTraceColumns;
    FigureGrid grid;
    for (Picture& p : recordPictures(record, po)) {
        if (p.name == "otdr" || p.name == "otdr-bidir" || p.name == "loss") continue;
        const Picture inner = p;
        const double scale = std::min(1.0, kContentWidth / inner.width);
        p.width = inner.width * scale;
        p.height = inner.height * scale;
        p.draw = [inner, scale](Painter& painter) {
            painter.save();
            painter.scale(scale);
            inner.draw(painter);
            painter.restore();
        };
        grid.pictures.push_back(std::move(p));
    }
    grid.columns = 1;
    if (!grid.pictures.empty()) page.blocks.push_back(grid);
}

}  // namespace

RecordPage recordPage(TestRecordTarvel& record, const SummaryRow& row, const ReportOptions& o) {
    if (!row.damage.empty()) return damagedPage(row);
    RecordPage page;
    page.title = row.cableId.empty() ? "(no cable id)" : row.cableId;
    page.subtitle = row.media + (row.testType.empty() ? "" : " \u2013 " + row.testType);
    page.status = row.status;
    const Tester::RecordMargins margins = Tester::recordMargins(record);
    const Tester::VerdictCheck check = Tester::checkVerdict(record, margins);
    if (check.conflict) page.mark = "VERDICT CONFLICT";
    page.blocks.push_back(headerFields(record, row, o, margins, check));
    for (const std::string& due : Tester::calibrationWarnings(record))
        page.blocks.push_back(Note{"Calibration due: " + cleanText(due, 400), Tone::warn});
    std::string recomputed;
    size_t disagree = 0;
    for (const JudgedFigure& f : margins.figures) {
        if (!f.storedDisagrees() || ++disagree > 3) continue;
        recomputed += (recomputed.empty() ? "" : "; ") + f.test + " " + Tester::figureWhere(f) + " " +
                      Tester::marginText(f) + " (stored " + Tester::figureNumber(f, f.storedMargin) + ")";
    }
    if (disagree > 3) recomputed += "; " + std::to_string(disagree - 3) + " more";
    if (!recomputed.empty())
        page.blocks.push_back(Note{"Margins computed from value and limit where the result stores other figures: " +
                                       cleanText(recomputed, 800),
                                   Tone::warn});
    if (record.IsCopper()) {
        const Table freq = frequencyTable(record, margins);
        if (!freq.rows.empty()) page.blocks.push_back(freq);
        const Table scalars = scalarTable(record, margins);
        if (!scalars.rows.empty()) page.blocks.push_back(scalars);
        FigureGrid figures = copperFigures(record, o);
        if (!figures.pictures.empty()) page.blocks.push_back(std::move(figures));
    } else if (record.IsFiber()) {
        lossBlocks(record, margins, o, page);
        otdrBlocks(record, margins, o, page);
        otherFiberBlocks(record, o, page);
    }
    if (page.blocks.size() == 1) page.blocks.push_back(Note{"This record holds no measurements to show.", Tone::muted});
    return page;
}

RecordPage damagedPage(const SummaryRow& row) {
    RecordPage page;
    page.title = row.cableId.empty() ? "(no cable id)" : row.cableId;
    page.subtitle = "Damaged input";
    page.status = row.status;
    page.mark = "DAMAGED";
    FieldGrid g;
    g.fields.push_back({"File", Cell(cleanText(row.file, 400))});
    g.fields.push_back({"Date", Cell(row.date.empty() ? "-" : row.date + " UTC")});
    g.fields.push_back({"Stored status", Cell(statusText(row), statusTone(row.status), true)});
    page.blocks.push_back(g);
    page.blocks.push_back(Note{"This input cannot be read in full: " + row.damage +
                                   ". Only what its summary still gives is shown; its tests are not certified here.",
                               Tone::fail});
    return page;
}

}  // namespace Kestrix::Report
