// Laying out report pages on A4 sheets with cairo.
#include "tester/report/PdfSink.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>

#include "tester/draw/CairoPainter.h"
#include "tester/draw/Raster.h"
#include "tester/report/RecordPages.h"

namespace Kestrix::Report {

namespace {

// Sheet furniture, in points. Blocks flow from kTop down to kBottom; the footer sits below kBottom.
struct SheetLayout {
    static constexpr double kFooterRoom = 14;
    static constexpr double kTop = kPageMargin, kBottom = kPageHeight - kPageMargin - kFooterRoom;
    static constexpr double kBlockGap = 8;  // between blocks of a page
    // The summary's head: a logo at the top right, the title beside it in large type.
    static constexpr double kSummaryLogoW = 130, kSummaryLogoH = 54;
    static constexpr double kSummaryTitleBaseline = 16, kSummaryTitleLine = 21;
    static constexpr double kSummaryHeadMin = 60;  // what the head keeps under a logo
    static constexpr double kTitleGap = 10;        // title to logo
    // A record page's head: small logo, status and mark badges, title lines, a subtitle and a rule.
    static constexpr double kLogoW = 80, kLogoH = 22, kLogoGap = 8;
    static constexpr double kBadgeSize = 11, kBadgeGap = 6;
    static constexpr double kTitleBaseline = 14, kTitleLine = 17, kTitleBadgeGap = 6;
    static constexpr double kSubtitleLine = 6;  // subtitle baseline to the rule
    static constexpr double kRuleGap = 10;      // rule to the first block
    // The footer's baseline is this far below the bottom margin line; the left text keeps this from the right.
    static constexpr double kFooterDrop = 4, kFooterGap = 12;
};

// Field grids: a small label over a value of one or more lines, in columns.
struct FieldLayout {
    static constexpr double kLabelBaseline = 6, kValueBaseline = 15.5;
    static constexpr double kValueLine = 10.2;
    static constexpr double kLabelRoom = 9;  // above the first value line
    static constexpr double kColumnGap = 8;  // a value wraps this short of its column's width
    static constexpr double kRowGap = 3;
};

// Tables: caption, optional column groups with an underline, wrapped column titles and a rule, striped rows.
struct TableLayout {
    static constexpr double kPad = 2.5;  // inside a cell, left and right
    static constexpr double kCaptionBaseline = 8, kCaptionHeight = 12;
    static constexpr double kGroupBaseline = 7, kGroupRule = 9, kGroupHeight = 10, kGroupRuleInset = 2;
    static constexpr double kTitleBaseline = 7;
    static constexpr double kTitleLeading = 1;    // column title lines are the font size plus this apart
    static constexpr double kRuleDrop = 1.5;      // the rule under the titles, below their last line
    static constexpr double kRuleRoom = 1;        // under the rule
    static constexpr double kLineSpacing = 1.23;  // body lines, in font sizes
    static constexpr double kRowPad = 2;          // a row's height beyond its lines
    static constexpr double kBaselineRise = 1.5;  // a cell's first baseline above the end of its first line
    static constexpr double kNoteGap = 2;
};

// Figures: pictures in rows, a shared legend and a note under them.
struct FigureLayout {
    static constexpr double kGap = 6;  // between pictures and between rows
    static constexpr double kMinScale = 0.6;
    static constexpr double kNoteHeight = 10;
    static constexpr double kLegendLine = 12;
    static constexpr double kLegendPerLine = 12;  // entries a legend line is reckoned to hold
    // A legend entry: a line sample, its label, room to the next entry.
    static constexpr double kSampleY = 6, kSampleLength = 14, kLabelX = 18, kLabelBaseline = 8.5, kEntryGap = 10;
};

constexpr double kTop = SheetLayout::kTop, kBottom = SheetLayout::kBottom;
constexpr double kPad = TableLayout::kPad;

class PdfSink : public ReportSink {
public:
    PdfSink(const std::string& path, const ReportDocument& doc)
        : _doc(doc),
          _surface(cairo_pdf_surface_create(path.c_str(), kPageWidth, kPageHeight)),
          _cr(cairo_create(_surface.get())),
          _p(_cr) {
        cairo_pdf_surface_set_metadata(_surface.get(), CAIRO_PDF_METADATA_CREATOR, "kestrix");
        cairo_pdf_surface_set_metadata(_surface.get(), CAIRO_PDF_METADATA_TITLE, doc.options.title.c_str());
    }
    ~PdfSink() override { cairo_destroy(_cr); }

    void page(const RecordPage& page, const std::string& footer) override {
        _page = &page;
        _footer = footer;
        startSheet(false);
        for (const Block& b : page.blocks) {
            if (const auto* f = std::get_if<FieldGrid>(&b)) fields(*f);
            if (const auto* t = std::get_if<Table>(&b)) table(*t);
            if (const auto* g = std::get_if<FigureGrid>(&b)) figures(*g);
            if (const auto* n = std::get_if<Note>(&b)) note(*n);
            _y += SheetLayout::kBlockGap;
        }
        endSheet();
    }

    std::string finish() override {
        const cairo_status_t s = cairo_status(_cr);
        cairo_surface_finish(_surface.get());
        if (s != CAIRO_STATUS_SUCCESS) return cairo_status_to_string(s);
        if (cairo_surface_status(_surface.get()) != CAIRO_STATUS_SUCCESS)
            return cairo_status_to_string(cairo_surface_status(_surface.get()));
        return "";
    }

private:
    // --- sheets ---

    void startSheet(bool continued) {
        using L = SheetLayout;
        _open = true;
        ++_sheets;
        _p.setColour({1, 1, 1});
        _p.rectangle(0, 0, kPageWidth, kPageHeight);
        _p.fill();
        const RecordPage& pg = *_page;
        double right = kPageWidth - kPageMargin;
        if (pg.summary && !continued) {
            // The logo at the top right, the title beside it.
            double logoW = 0;
            if (!_doc.logo.empty()) logoW = logo(right, kTop, L::kSummaryLogoW, L::kSummaryLogoH);
            _p.setColour(colors::kText);
            _p.setFont(18, true);
            double y = kTop + L::kSummaryTitleBaseline;
            for (const std::string& line : Draw::wrapText(_p, pg.title, kContentWidth - logoW - L::kTitleGap)) {
                _p.text(kPageMargin, y, line);
                y += L::kSummaryTitleLine;
            }
            _y = std::max(y, kTop + (logoW > 0 ? L::kSummaryHeadMin : 0));
            return;
        }
        if (!_doc.logo.empty()) right -= logo(right, kTop, L::kLogoW, L::kLogoH) + L::kLogoGap;
        double badges = 0;
        if (pg.status >= 0)
            badges += drawBadge(_p, right, kTop, statusWord(pg.status), statusColour(pg.status), L::kBadgeSize) +
                      L::kBadgeGap;
        if (!pg.mark.empty())
            badges += drawBadge(_p, right - badges, kTop, pg.mark, colors::kFail, L::kBadgeSize) + L::kBadgeGap;
        _p.setColour(colors::kText);
        _p.setFont(pg.summary ? 12 : 15, true);
        double y = kTop + L::kTitleBaseline;
        const auto lines = Draw::wrapText(_p, pg.title + (continued ? " (continued)" : ""),
                                          right - badges - kPageMargin - L::kTitleBadgeGap);
        for (const std::string& line : lines) {
            _p.text(kPageMargin, y, line);
            y += L::kTitleLine;
        }
        if (!pg.subtitle.empty()) {
            _p.setFont(8.5);
            _p.setColour(colors::kNeutral);
            _p.text(kPageMargin, y, pg.subtitle);
            y += L::kSubtitleLine;
        }
        _p.setColour(colors::kFrame);
        _p.setLineWidth(0.8);
        _p.setDash({});
        _p.moveTo(kPageMargin, y);
        _p.lineTo(kPageWidth - kPageMargin, y);
        _p.stroke();
        _y = y + L::kRuleGap;
    }

    void endSheet() {
        using L = SheetLayout;
        if (!_open) return;
        _p.setFont(7);
        _p.setColour(colors::kNeutral);
        std::string left = _doc.options.title;
        if (!_doc.options.customer.empty()) left += " \u2013 customer: " + _doc.options.customer;
        if (!_doc.options.contractor.empty()) left += " \u2013 contractor: " + _doc.options.contractor;
        const std::string right = _footer + (_footer.empty() ? "" : ", ") + "sheet " + std::to_string(_sheets);
        const double rw = _p.textWidth(right);
        const auto lines = Draw::wrapText(_p, left, kContentWidth - rw - L::kFooterGap);
        const double baseline = kPageHeight - kPageMargin + L::kFooterDrop;
        _p.text(kPageMargin, baseline, lines.front() + (lines.size() > 1 ? " ..." : ""));
        _p.text(kPageWidth - kPageMargin - rw, baseline, right);
        cairo_show_page(_cr);
        _open = false;
    }

    // Room for `h` more points, on a new sheet if need be.
    void need(double h) {
        if (_y + h <= kBottom) return;
        endSheet();
        startSheet(true);
    }

    // The logo scaled into w x h with its right edge at `right`; its width, 0 when it cannot be drawn.
    double logo(double right, double top, double w, double h) {
        uint32_t iw = 0, ih = 0;
        if (!Draw::pngSize(_doc.logo, iw, ih) || iw == 0 || ih == 0) return 0;
        const double s = std::min(w / iw, h / ih);
        _p.image(_doc.logo, right - iw * s, top, iw * s, ih * s);
        return iw * s;
    }

    // --- blocks ---

    void fields(const FieldGrid& g) {
        using L = FieldLayout;
        const int n = std::max(1, g.columns);
        const double colW = kContentWidth / n;
        for (size_t i = 0; i < g.fields.size(); i += static_cast<size_t>(n)) {
            std::vector<std::vector<std::string>> values;
            double rowH = 0;
            _p.setFont(8.5);
            for (size_t k = i; k < std::min(g.fields.size(), i + static_cast<size_t>(n)); ++k) {
                _p.setFont(8.5, g.fields[k].value.bold);
                values.push_back(Draw::wrapText(_p, g.fields[k].value.text, colW - L::kColumnGap));
                rowH = std::max(rowH, L::kLabelRoom + L::kValueLine * static_cast<double>(values.back().size()));
            }
            need(rowH);
            for (size_t k = i; k < std::min(g.fields.size(), i + static_cast<size_t>(n)); ++k) {
                const double x = kPageMargin + colW * static_cast<double>(k - i);
                _p.setFont(6.5);
                _p.setColour(colors::kNeutral);
                _p.text(x, _y + L::kLabelBaseline, g.fields[k].label);
                _p.setFont(8.5, g.fields[k].value.bold);
                _p.setColour(toneColour(g.fields[k].value.tone));
                double y = _y + L::kValueBaseline;
                for (const std::string& line : values[k - i]) {
                    _p.text(x, y, line);
                    y += L::kValueLine;
                }
            }
            _y += rowH + L::kRowGap;
        }
    }

    std::vector<double> widths(const Table& t) const {
        double sum = 0;
        for (const Column& c : t.columns) sum += c.width;
        const double k = sum > kContentWidth ? kContentWidth / sum : 1.0;
        std::vector<double> w;
        for (const Column& c : t.columns) w.push_back(c.width * k);
        return w;
    }

    // Draws the caption and column heads (or, without `draw`, only measures them); their height.
    double tableHeader(const Table& t, const std::vector<double>& w, bool continued, bool draw = true) {
        using L = TableLayout;
        double y = _y;
        if (!t.caption.empty()) {
            _p.setFont(9, true);
            _p.setColour(colors::kText);
            if (draw) _p.text(kPageMargin, y + L::kCaptionBaseline, t.caption + (continued ? " (continued)" : ""));
            y += L::kCaptionHeight;
        }
        _p.setFont(t.fontSize - 0.5, true);
        double headH = 0;
        std::vector<std::vector<std::string>> titles;
        for (size_t c = 0; c < t.columns.size(); ++c) {
            titles.push_back(Draw::wrapText(_p, t.columns[c].title, w[c] - 2 * kPad));
            headH = std::max(headH, (t.fontSize + L::kTitleLeading) * static_cast<double>(titles.back().size()));
        }
        const bool groups =
            std::any_of(t.columns.begin(), t.columns.end(), [](const Column& c) { return !c.group.empty(); });
        if (!draw) return y - _y + (groups ? L::kGroupHeight : 0) + headH + (L::kRuleDrop + L::kRuleRoom);
        _p.setColour(colors::kText);
        if (groups) {
            double x = kPageMargin;
            for (size_t i = 0; i < t.columns.size();) {
                size_t j = i;
                double span = 0;
                while (j < t.columns.size() && t.columns[j].group == t.columns[i].group) span += w[j++];
                if (!t.columns[i].group.empty()) {
                    const double tw = _p.textWidth(t.columns[i].group);
                    _p.text(x + (span - tw) / 2, y + L::kGroupBaseline, t.columns[i].group);
                    _p.setColour(colors::kGrid);
                    _p.setLineWidth(0.6);
                    _p.moveTo(x + L::kGroupRuleInset, y + L::kGroupRule);
                    _p.lineTo(x + span - L::kGroupRuleInset, y + L::kGroupRule);
                    _p.stroke();
                    _p.setColour(colors::kText);
                }
                x += span;
                i = j;
            }
            y += L::kGroupHeight;
        }
        _p.setFont(t.fontSize - 0.5, true);
        double x = kPageMargin;
        for (size_t c = 0; c < t.columns.size(); ++c) {
            double ly = y + L::kTitleBaseline;
            for (const std::string& line : titles[c]) {
                const double tx = t.columns[c].right ? x + w[c] - kPad - _p.textWidth(line) : x + kPad;
                _p.text(tx, ly, line);
                ly += t.fontSize + L::kTitleLeading;
            }
            x += w[c];
        }
        y += headH + L::kRuleDrop;
        _p.setColour(colors::kFrame);
        _p.setLineWidth(0.7);
        _p.moveTo(kPageMargin, y);
        _p.lineTo(kPageMargin + std::min(kContentWidth, x - kPageMargin), y);
        _p.stroke();
        return y + L::kRuleRoom - _y;
    }

    void table(const Table& t) {
        using L = TableLayout;
        const std::vector<double> w = widths(t);
        const double bodySize = t.fontSize, bodyLine = t.fontSize * L::kLineSpacing;
        double tableW = 0;
        for (double v : w) tableW += v;
        // Rows wrap their cells; the header comes again on every sheet the table reaches.
        const auto rowLines = [&](const std::vector<Cell>& row) {
            std::vector<std::vector<std::string>> lines;
            for (size_t c = 0; c < t.columns.size(); ++c) {
                _p.setFont(bodySize, c < row.size() && row[c].bold);
                lines.push_back(Draw::wrapText(_p, c < row.size() ? row[c].text : "", w[c] - 2 * kPad));
            }
            return lines;
        };
        bool started = false;
        for (size_t r = 0; r < t.rows.size(); ++r) {
            const auto lines = rowLines(t.rows[r]);
            size_t most = 1;
            for (const auto& l : lines) most = std::max(most, l.size());
            const double rowH = bodyLine * static_cast<double>(most) + L::kRowPad;
            if (!started) {
                // A caption and header never stand alone at the foot of a sheet.
                need(tableHeader(t, w, false, false) + rowH);
                _y += tableHeader(t, w, false);
                started = true;
            } else if (_y + rowH > kBottom) {
                endSheet();
                startSheet(true);
                _y += tableHeader(t, w, true);
            }
            if (r % 2 == 1) {
                _p.setColour({0.95, 0.95, 0.97});
                _p.rectangle(kPageMargin, _y, tableW, rowH);
                _p.fill();
            }
            double x = kPageMargin;
            for (size_t c = 0; c < t.columns.size(); ++c) {
                const Cell* cell = c < t.rows[r].size() ? &t.rows[r][c] : nullptr;
                _p.setFont(bodySize, cell != nullptr && cell->bold);
                _p.setColour(toneColour(cell != nullptr ? cell->tone : Tone::normal));
                double ly = _y + bodyLine - L::kBaselineRise;
                for (const std::string& line : lines[c]) {
                    const double tx = t.columns[c].right ? x + w[c] - kPad - _p.textWidth(line) : x + kPad;
                    _p.text(tx, ly, line);
                    ly += bodyLine;
                }
                x += w[c];
            }
            _y += rowH;
        }
        if (!started) {
            _y += tableHeader(t, w, false);
        }
        if (!t.note.empty()) {
            _y += L::kNoteGap;
            note(Note{t.note, Tone::muted}, 6.5);
        }
    }

    void note(const Note& n, double size = 8) {
        _p.setFont(size);
        for (const std::string& line : Draw::wrapText(_p, n.text, kContentWidth)) {
            need(size * 1.3);
            _p.setColour(toneColour(n.tone));
            _p.text(kPageMargin, _y + size, line);
            _y += size * 1.3;
        }
    }

    void figures(const FigureGrid& g) {
        using L = FigureLayout;
        const size_t n = static_cast<size_t>(std::max(1, g.columns));
        std::vector<std::pair<double, double>> rows;  // per row: width, height
        double total = 0;
        for (size_t i = 0; i < g.pictures.size(); i += n) {
            double w = 0, h = 0;
            for (size_t k = i; k < std::min(g.pictures.size(), i + n); ++k) {
                w += g.pictures[k].width + (k > i ? L::kGap : 0);
                h = std::max(h, g.pictures[k].height);
            }
            rows.emplace_back(w, h);
            total += h + L::kGap;
        }
        const double legendH =
            g.legend.empty() ? 0 : L::kLegendLine * std::ceil(static_cast<double>(g.legend.size()) / L::kLegendPerLine);
        const double noteH = g.note.empty() ? 0 : L::kNoteHeight;
        // Shrink to what is left of the sheet, within reason; else go on over the next sheet.
        double scale = 1.0;
        const double room = kBottom - _y - legendH - noteH;
        if (total > room) {
            scale = std::max(L::kMinScale, room / total);
            if (total * scale > room) {
                endSheet();
                startSheet(true);
                scale = std::max(L::kMinScale, std::min(1.0, (kBottom - _y - legendH - noteH) / total));
            }
        }
        size_t at = 0;
        for (const auto& [rowW, rowH] : rows) {
            need(rowH * scale);
            double x = kPageMargin + std::max(0.0, (kContentWidth - rowW * scale) / 2);
            for (size_t k = at; k < std::min(g.pictures.size(), at + n); ++k) {
                const Picture& pic = g.pictures[k];
                _p.save();
                _p.translate(x, _y);
                _p.scale(scale);
                _p.clipRect(0, 0, pic.width, pic.height);
                if (pic.draw) pic.draw(_p);
                _p.restore();
                _p.setColour(colors::kGrid);
                _p.setLineWidth(0.6);
                _p.setDash({});
                _p.rectangle(x, _y, pic.width * scale, pic.height * scale);
                _p.stroke();
                x += (pic.width + L::kGap) * scale;
            }
            _y += (rowH + L::kGap) * scale;
            at += n;
        }
        if (!g.legend.empty()) legend(g.legend);
        if (!g.note.empty()) note(Note{g.note, Tone::muted}, 7);
    }

    void legend(const std::vector<Chart::LegendEntry>& entries) {
        using L = FigureLayout;
        _p.setFont(7);
        double x = kPageMargin;
        need(L::kLegendLine);
        for (const auto& e : entries) {
            const double w = L::kLabelX + _p.textWidth(e.label) + L::kEntryGap;
            if (x + w > kPageWidth - kPageMargin) {
                x = kPageMargin;
                _y += L::kLegendLine;
                need(L::kLegendLine);
            }
            _p.setColour(e.colour);
            _p.setLineWidth(2.2);
            _p.setDash(e.dashed ? std::vector<double>{4, 2} : std::vector<double>{});
            _p.moveTo(x, _y + L::kSampleY);
            _p.lineTo(x + L::kSampleLength, _y + L::kSampleY);
            _p.stroke();
            _p.setDash({});
            _p.setColour(colors::kText);
            _p.text(x + L::kLabelX, _y + L::kLabelBaseline, e.label);
            x += w;
        }
        _y += L::kLegendLine;
    }

    const ReportDocument& _doc;
    Draw::SurfacePtr _surface;
    cairo_t* _cr;
    Draw::CairoPainter _p;
    const RecordPage* _page = nullptr;
    std::string _footer;
    double _y = kTop;
    bool _open = false;
    size_t _sheets = 0;
};

}  // namespace

std::unique_ptr<ReportSink> pdfSink(const std::string& path, const ReportDocument& document) {
    Draw::releaseFontCachesAtExit();
    return std::make_unique<PdfSink>(path, document);
}

}  // namespace Kestrix::Report
