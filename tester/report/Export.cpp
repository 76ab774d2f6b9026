// Summary rows as a table for spreadsheets and scripts.
#include "tester/report/Export.h"

#include <cmath>
#include <limits>

#include "tester/host/HostServices.h"
#include "tester/report/Csv.h"
#include "tester/report/SummaryRows.h"

namespace Kestrix::Report {

namespace {

enum class Kind { text, number };

struct Value {
    Kind kind;
    std::string text;
    double number;
    int precision;
};

Value text(const std::string& s) { return {Kind::text, s, 0, 0}; }
Value number(double v, int precision) { return {Kind::number, "", v, precision}; }

std::vector<Value> values(const SummaryRow& r) {
    const Tester::JudgedFigure* w = r.worst ? &*r.worst : nullptr;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::string end;
    if (w != nullptr && w->end != 0) {
        if (w->kind == Tester::FigureKind::swept)
            end = w->end == 1 ? "main" : "remote";
        else
            end = w->end == 3 ? "bidirectional" : "end " + std::to_string(w->end);
    }
    return {text(r.project),
            text(r.site),
            text(r.cableId),
            text(r.date),
            text(r.media),
            text(r.testType),
            text(r.limit),
            text(statusText(r)),
            number(w ? w->margin : nan, w ? w->precision : 1),
            text(w ? w->unit : ""),
            text(w ? w->test : ""),
            text(w ? w->pairLabel : ""),
            number(w ? w->frequencyMHz : nan, 1),
            number(w && w->wavelength > 0 ? w->wavelength : nan, 0),
            text(end),
            text(r.worstText),
            number(r.lengthMeters, 1),
            text(r.operatorName),
            text(r.testerModel),
            text(r.testerSerial),
            text(r.calibrationDate),
            text(r.conflict),
            text(r.damage),
            text(r.file)};
}

// "cable_id" as a JSON key: "cableId".
std::string camelCase(const std::string& column) {
    std::string out;
    bool upper = false;
    for (char c : column) {
        if (c == '_') {
            upper = true;
            continue;
        }
        out += upper && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        upper = false;
    }
    return out;
}

}  // namespace

const std::vector<std::string>& exportColumns() {
    static const std::vector<std::string> columns = {"project",
                                                     "site",
                                                     "cable_id",
                                                     "date_utc",
                                                     "media",
                                                     "test_type",
                                                     "limit",
                                                     "status",
                                                     "worst_margin",
                                                     "worst_margin_unit",
                                                     "worst_test",
                                                     "worst_pair",
                                                     "worst_frequency_mhz",
                                                     "worst_wavelength_nm",
                                                     "worst_end",
                                                     "worst_margin_text",
                                                     "length_m",
                                                     "operator",
                                                     "tester_model",
                                                     "tester_serial",
                                                     "calibration_date",
                                                     "verdict_conflict",
                                                     "damage",
                                                     "file"};
    return columns;
}

std::string exportCsv(const std::vector<SummaryRow>& rows) {
    std::string out = csvLine(exportColumns());
    for (const SummaryRow& r : rows) {
        std::vector<std::string> fields;
        for (const Value& v : values(r))
            fields.push_back(v.kind == Kind::text ? csvText(v.text) : csvNumber(v.number, v.precision));
        out += csvLine(fields);
    }
    return out;
}

Json::Value exportJson(const std::vector<SummaryRow>& rows) {
    Json::Value list(Json::arrayValue);
    std::vector<std::string> names;
    for (const std::string& c : exportColumns()) names.push_back(camelCase(c));
    for (const SummaryRow& r : rows) {
        Json::Value o(Json::objectValue);
        const std::vector<Value> v = values(r);
        for (size_t i = 0; i < names.size(); ++i) {
            if (names[i] == "dateUtc") {
                o["date"] = r.time > 0
                                ? Json::Value(Tester::HxDataDate::ToIso8601(Tester::HxDataDate::From1970(r.time)))
                                : Json::Value();
                continue;
            }
            if (v[i].kind == Kind::number) {
                const double scale = std::pow(10.0, v[i].precision);
                o[names[i]] =
                    std::isfinite(v[i].number) ? Json::Value(std::round(v[i].number * scale) / scale) : Json::Value();
            } else {
                o[names[i]] = v[i].text.empty() ? Json::Value() : Json::Value(v[i].text);
            }
        }
        o["statusCode"] = r.status;
        list.append(o);
    }
    return list;
}

}  // namespace Kestrix::Report
