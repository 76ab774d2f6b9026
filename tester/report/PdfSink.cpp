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

constexpr double kTop = kPageMargin, kBottom = kPageHeight - kPageMargin - 14;
constexpr double kPad = 2.5;
constexpr double kBlockGap = 8;
constexpr double kMinFigureScale = 0.6;

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
            _y += kBlockGap;
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
            if (!_doc.logo.empty()) logoW = logo(right, kTop, 130, 54);
            _p.setColour(colors::kText);
            _p.setFont(18, true);
            double y = kTop + 16;
            for (const std::string& line : Draw::wrapText(_p, pg.title, kContentWidth - logoW - 10)) {
                _p.text(kPageMargin, y, line);
                y += 21;
            }
            _y = std::max(y, kTop + (logoW > 0 ? 60 : 0));
            return;
        }
        if (!_doc.logo.empty()) right -= logo(right, kTop, 80, 22) + 8;
        double badges = 0;
        if (pg.status >= 0)
            badges += drawBadge(_p, right, kTop, statusWord(pg.status), statusColour(pg.status), 11) + 6;
        if (!pg.mark.empty()) badges += drawBadge(_p, right - badges, kTop, pg.mark, colors::kFail, 11) + 6;
        _p.setColour(colors::kText);
        _p.setFont(pg.summary ? 12 : 15, true);
        double y = kTop + 14;
        const auto lines =
            Draw::wrapText(_p, pg.title + (continued ? " (continued)" : ""), right - badges - kPageMargin - 6);
        for (const std::string& line : lines) {
            _p.text(kPageMargin, y, line);
            y += 17;
        }
        if (!pg.subtitle.empty()) {
            _p.setFont(8.5);
            _p.setColour(colors::kNeutral);
            _p.text(kPageMargin, y, pg.subtitle);
            y += 6;
        }
        _p.setColour(colors::kFrame);
        _p.setLineWidth(0.8);
        _p.setDash({});
        _p.moveTo(kPageMargin, y);
        _p.lineTo(kPageWidth - kPageMargin, y);
        _p.stroke();
        _y = y + 10;
    }

    void endSheet() {
        if (!_open) return;
        _p.setFont(7);
        _p.setColour(colors::kNeutral);
        std::string left = _doc.options.title;
        if (!_doc.options.customer.empty()) left += " \u2013 customer: " + _doc.options.customer;
        if (!_doc.options.contractor.empty()) left += " \u2013 contractor: " + _doc.options.contractor;
        const std::string right = _footer + (_footer.empty() ? "" : ", ") + "sheet " + std::to_string(_sheets);
        const double rw = _p.textWidth(right);
        const auto lines = Draw::wrapText(_p, left, kContentWidth - rw - 12);
        _p.text(kPageMargin, kPageHeight - kPageMargin + 4, lines.front() + (lines.size() > 1 ? " ..." : ""));
        _p.text(kPageWidth - kPageMargin - rw, kPageHeight - kPageMargin + 4, right);
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
        const int n = std::max(1, g.columns);
        const double colW = kContentWidth / n;
        for (size_t i = 0; i < g.fields.size(); i += static_cast<size_t>(n)) {
            std::vector<std::vector<std::string>> values;
            double rowH = 0;
            _p.setFont(8.5);
            for (size_t k = i; k < std::min(g.fields.size(), i + static_cast<size_t>(n)); ++k) {
                _p.setFont(8.5, g.fields[k].value.bold);
                values.push_back(Draw::wrapText(_p, g.fields[k].value.text, colW - 8));
                rowH = std::max(rowH, 9 + 10.2 * static_cast<double>(values.back().size()));
            }
            need(rowH);
            for (size_t k = i; k < std::min(g.fields.size(), i + static_cast<size_t>(n)); ++k) {
                const double x = kPageMargin + colW * static_cast<double>(k - i);
                _p.setFont(6.5);
                _p.setColour(colors::kNeutral);
                _p.text(x, _y + 6, g.fields[k].label);
                _p.setFont(8.5, g.fields[k].value.bold);
                _p.setColour(toneColour(g.fields[k].value.tone));
                double y = _y + 15.5;
                for (const std::string& line : values[k - i]) {
                    _p.text(x, y, line);
                    y += 10.2;
                }
            }
            _y += rowH + 3;
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
        double y = _y;
        if (!t.caption.empty()) {
            _p.setFont(9, true);
            _p.setColour(colors::kText);
            if (draw) _p.text(kPageMargin, y + 8, t.caption + (continued ? " (continued)" : ""));
            y += 12;
        }
        _p.setFont(t.fontSize - 0.5, true);
        double headH = 0;
        std::vector<std::vector<std::string>> titles;
        for (size_t c = 0; c < t.columns.size(); ++c) {
            titles.push_back(Draw::wrapText(_p, t.columns[c].title, w[c] - 2 * kPad));
            headH = std::max(headH, (t.fontSize + 1) * static_cast<double>(titles.back().size()));
        }
        const bool groups =
            std::any_of(t.columns.begin(), t.columns.end(), [](const Column& c) { return !c.group.empty(); });
        if (!draw) return y - _y + (groups ? 10 : 0) + headH + 2.5;
        _p.setColour(colors::kText);
        if (groups) {
            double x = kPageMargin;
            for (size_t i = 0; i < t.columns.size();) {
                size_t j = i;
                double span = 0;
                while (j < t.columns.size() && t.columns[j].group == t.columns[i].group) span += w[j++];
                if (!t.columns[i].group.empty()) {
                    const double tw = _p.textWidth(t.columns[i].group);
                    _p.text(x + (span - tw) / 2, y + 7, t.columns[i].group);
                    _p.setColour(colors::kGrid);
                    _p.setLineWidth(0.6);
                    _p.moveTo(x + 2, y + 9);
                    _p.lineTo(x + span - 2, y + 9);
                    _p.stroke();
                    _p.setColour(colors::kText);
                }
                x += span;
                i = j;
            }
            y += 10;
        }
        _p.setFont(t.fontSize - 0.5, true);
        double x = kPageMargin;
        for (size_t c = 0; c < t.columns.size(); ++c) {
            double ly = y + 7;
            for (const std::string& line : titles[c]) {
                const double tx = t.columns[c].right ? x + w[c] - kPad - _p.textWidth(line) : x + kPad;
                _p.text(tx, ly, line);
                ly += t.fontSize + 1;
            }
            x += w[c];
        }
        y += headH + 1.5;
        _p.setColour(colors::kFrame);
        _p.setLineWidth(0.7);
        _p.moveTo(kPageMargin, y);
        _p.lineTo(kPageMargin + std::min(kContentWidth, x - kPageMargin), y);
        _p.stroke();
        return y + 1 - _y;
    }

    void table(const Table& t) {
        const std::vector<double> w = widths(t);
        const double bodySize = t.fontSize, bodyLine = t.fontSize * 1.23;
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
            const double rowH = bodyLine * static_cast<double>(most) + 2;
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
                double ly = _y + bodyLine - 1.5;
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
            _y += 2;
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
        const size_t n = static_cast<size_t>(std::max(1, g.columns));
        std::vector<std::pair<double, double>> rows;  // per row: width, height
        double total = 0;
        for (size_t i = 0; i < g.pictures.size(); i += n) {
            double w = 0, h = 0;
            for (size_t k = i; k < std::min(g.pictures.size(), i + n); ++k) {
                w += g.pictures[k].width + (k > i ? 6 : 0);
                h = std::max(h, g.pictures[k].height);
            }
            rows.emplace_back(w, h);
            total += h + 6;
        }
        const double legendH = g.legend.empty() ? 0 : 12.0 * std::ceil(static_cast<double>(g.legend.size()) / 12.0);
        const double noteH = g.note.empty() ? 0 : 10;
        // Shrink to what is left of the sheet, within reason; else go on over the next sheet.
        double scale = 1.0;
        const double room = kBottom - _y - legendH - noteH;
        if (total > room) {
            scale = std::max(kMinFigureScale, room / total);
            if (total * scale > room) {
                endSheet();
                startSheet(true);
                scale = std::max(kMinFigureScale, std::min(1.0, (kBottom - _y - legendH - noteH) / total));
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
                x += (pic.width + 6) * scale;
            }
            _y += (rowH + 6) * scale;
            at += n;
        }
        if (!g.legend.empty()) legend(g.legend);
        if (!g.note.empty()) note(Note{g.note, Tone::muted}, 7);
    }

    void legend(const std::vector<Chart::LegendEntry>& entries) {
        _p.setFont(7);
        double x = kPageMargin;
        need(12);
        for (const auto& e : entries) {
            const double w = 18 + _p.textWidth(e.label) + 10;
            if (x + w > kPageWidth - kPageMargin) {
                x = kPageMargin;
                _y += 12;
                need(12);
            }
            _p.setColour(e.colour);
            _p.setLineWidth(2.2);
            _p.setDash(e.dashed ? std::vector<double>{4, 2} : std::vector<double>{});
            _p.moveTo(x, _y + 6);
            _p.lineTo(x + 14, _y + 6);
            _p.stroke();
            _p.setDash({});
            _p.setColour(colors::kText);
            _p.text(x + 18, _y + 8.5, e.label);
            x += w;
        }
        _y += 12;
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
