#pragma once
// The certification report as data: a summary row per record and a page per record made of blocks (fields,
// tables, figures, notes). Built once from the records, then laid out by a sink: PDF pages or one HTML
// document. Texts in it are already clean (valid UTF-8, no control characters).
#include <cstdint>
#include <limits>
#include <string>
#include <variant>
#include <vector>

#include <boost/optional.hpp>

#include "tester/record/RecordMargins.h"
#include "tester/report/Canvas.h"
#include "tester/report/Chart.h"

namespace Kestrix::Report {

struct Cell {
    Cell() = default;
    Cell(std::string t, Tone tone = Tone::normal, bool bold = false) : text(std::move(t)), tone(tone), bold(bold) {}
    std::string text;
    Tone tone = Tone::normal;
    bool bold = false;
    std::string link;  // the anchor of another page it leads to (HTML), or ""
};

struct Column {
    Column(std::string t, double w, bool r = false, std::string g = "", std::string u = "")
        : title(std::move(t)), width(w), right(r), group(std::move(g)), unit(std::move(u)) {}
    std::string title;
    double width = 40;  // points on a PDF page; an HTML table shares its width in the same proportions
    bool right = false;
    std::string group;  // a header over the neighbouring columns of the same group ("1310 nm")
    std::string unit;   // of the numbers in the column ("dB"): the text form writes it after each number
};

struct Table {
    std::string caption;
    std::vector<Column> columns;
    std::vector<std::vector<Cell>> rows;
    std::string note;       // under the table: a legend, the rows left out
    double fontSize = 7.5;  // points on a PDF page; wide tables use less
};

struct Field {
    std::string label;
    Cell value;
};

struct FieldGrid {
    std::vector<Field> fields;
    int columns = 3;
};

struct FigureGrid {
    std::vector<Picture> pictures;  // drawn at their own size, `columns` to a row
    int columns = 1;
    std::vector<Chart::LegendEntry> legend;  // one legend for all of them
    std::string note;
};

struct Note {
    std::string text;
    Tone tone = Tone::normal;
};

using Block = std::variant<FieldGrid, Table, FigureGrid, Note>;

// A page of the report: the summary (which a PDF continues over as many sheets as it needs), or a record.
struct RecordPage {
    bool summary = false;
    std::string title;     // the cable id, or the report's title
    std::string subtitle;  // media and test type
    int status = -1;       // the badge: the stored verdict; -1 for none
    std::string mark;      // "VERDICT CONFLICT", "DAMAGED", or ""
    std::string anchor;    // what links to it ("r12")
    std::vector<Block> blocks;
};

// One record as the summary, the export and the page header see it.
struct SummaryRow {
    std::string file;  // the input path
    std::string project, site, cableId;
    std::string date;      // "2026-05-28 14:13" (UTC)
    int64_t time = 0;      // seconds since 1970
    std::string media;     // "Copper", "Coax", "Fiber"
    std::string testType;  // "Autotest", "Loss/length + Power meter", "OTDR", ...
    std::string limit, operatorName, testerModel, testerSerial, calibrationDate, cableType;
    int status = Tester::kHostStatusUnknown;  // stored host status
    double lengthMeters = std::numeric_limits<double>::quiet_NaN();
    boost::optional<Tester::JudgedFigure> worst;
    std::string worstText;     // describeMargin of worst, or ""
    std::string conflict;      // "verdict conflict: ..." or ""
    std::string damage;        // why the record's tests cannot be read, or ""
    std::string supersededBy;  // with --latest: the file of the later test of the same cable id
};

// Counts of records by stored status; conflicts and damaged records are counted besides.
struct Totals {
    size_t records = 0, pass = 0, passStar = 0, passAcceptable = 0, fail = 0, noVerdict = 0;
    size_t conflicts = 0, damaged = 0;
    void add(const SummaryRow& row);
    // "12 records: 8 pass, 1 pass*, 1 pass (acceptable), 1 fail, 1 without verdict; 2 verdict conflicts;
    // 1 damaged" (the counts after "fail" only when not zero).
    std::string text() const;
};

struct ReportOptions {
    std::string title = "Certification report";
    bool html = false;
    bool feet = false;
    std::string customer, contractor;
    std::string operatorName;  // shown where a record names none
    std::string logoFile;      // a PNG
    std::string project;       // only this project's records
    bool failsOnly = false;    // only records that failed, conflict or are damaged
    bool latest = false;       // only the latest test of each cable id (per project and site)
    bool keepGoing = false;    // unreadable inputs become "damaged" rows instead of failing the report
};

struct ReportDocument {
    ReportOptions options;
    std::string made;  // "2026-05-28 14:13"
    std::vector<uint8_t> logo;
    std::vector<SummaryRow> rows;  // shown, in report order
    Totals totals;
    std::vector<std::pair<std::string, Totals>> projects;  // per project, by name
    std::vector<SummaryRow> superseded;                    // re-tests left out by --latest
    size_t leftOut = 0;                                    // rows --fails-only left out
    std::vector<RecordPage> pages;                         // the summary, then one per shown row
};

// Where the pages go: a PDF or an HTML document; both are given the same pages in the same order.
class ReportSink {
public:
    virtual ~ReportSink() = default;
    // `footer` goes at the foot of each sheet ("Record 3 of 200").
    virtual void page(const RecordPage& page, const std::string& footer) = 0;
    // "" when the whole report was written, else why not.
    virtual std::string finish() = 0;
};

}  // namespace Kestrix::Report
