// The shared chart: one look for every plot.
#include "tester/report/Chart.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace Kestrix::Report {

namespace {

constexpr double kTitleSize = 14;
constexpr double kLabelSize = 11;
constexpr double kTickSize = 10;

void lineTo(cairo_t* cr, bool& pen, double x, double y) {
    if (pen) {
        cairo_line_to(cr, x, y);
    } else {
        cairo_move_to(cr, x, y);
        pen = true;
    }
}

}  // namespace

namespace colors {
Rgb series(size_t n) {
    static constexpr Rgb kPalette[] = {
        {0.12, 0.35, 0.75}, {0.95, 0.5, 0.05}, {0.1, 0.6, 0.3},   {0.55, 0.35, 0.2},
        {0.55, 0.2, 0.7},   {0.0, 0.6, 0.65},  {0.85, 0.3, 0.55}, {0.4, 0.4, 0.1},
    };
    return kPalette[n % (sizeof kPalette / sizeof kPalette[0])];
}
}  // namespace colors

const char* statusWord(int hostStatus) {
    switch (hostStatus) {
        case 0: return "FAIL";
        case 3: return "PASS*";
        case 4: return "PASS";
        case 7: return "PASS ACC.";
        default: return "NO VERDICT";
    }
}

Rgb statusColour(int hostStatus) {
    switch (hostStatus) {
        case 0: return colors::kFail;
        case 3:
        case 4:
        case 7: return colors::kPass;
        default: return colors::kNeutral;
    }
}

std::vector<double> niceTicks(double lo, double hi, int target) {
    std::vector<double> ticks;
    if (!std::isfinite(lo) || !std::isfinite(hi) || hi <= lo || target < 1) return ticks;
    const double raw = (hi - lo) / target;
    const double mag = std::pow(10.0, std::floor(std::log10(raw)));
    double step = mag;
    for (double f : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        step = f * mag;
        if (step >= raw) break;
    }
    const double first = std::ceil(lo / step - 1e-9) * step;
    for (int i = 0; i < 100; ++i) {
        const double t = first + i * step;
        if (t > hi + step * 1e-9) break;
        ticks.push_back(std::fabs(t) < step * 1e-9 ? 0.0 : t);
    }
    return ticks;
}

std::string tickLabel(double value, double step) {
    int decimals = 0;
    if (step > 0 && step < 1) decimals = std::min(6, static_cast<int>(std::ceil(-std::log10(step) - 1e-9)));
    if (step > 0 && std::fabs(step * std::pow(10.0, decimals) - std::round(step * std::pow(10.0, decimals))) > 1e-6)
        ++decimals;
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    return buf;
}

void setColour(cairo_t* cr, Rgb c, double alpha) {
    if (alpha >= 1.0) {
        cairo_set_source_rgb(cr, c.r, c.g, c.b);
    } else {
        cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
    }
}

void setFont(cairo_t* cr, double size, bool bold) {
    cairo_select_font_face(cr, "Arial", CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
}

double textWidth(cairo_t* cr, const std::string& text) {
    cairo_text_extents_t e;
    cairo_text_extents(cr, text.c_str(), &e);
    return e.x_advance;
}

double drawText(cairo_t* cr, double x, double y, const std::string& text) {
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, text.c_str());
    return textWidth(cr, text);
}

void drawBadge(cairo_t* cr, double rightX, double y, const std::string& word, Rgb colour) {
    setFont(cr, 12, true);
    const double w = textWidth(cr, word) + 14;
    setColour(cr, colour);
    cairo_rectangle(cr, rightX - w, y, w, 20);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    drawText(cr, rightX - w + 7, y + 15, word);
}

Chart::Chart(cairo_t* cr, double x, double y, double width, double height)
    : _cr(cr), _x(x), _y(y), _w(width), _h(height) {}

void Chart::setXAxis(const std::string& label, double lo, double hi) {
    _xLabel = label;
    _xLo = lo;
    _xHi = hi;
}

void Chart::setYAxis(const std::string& label, double lo, double hi) {
    _yLabel = label;
    _yLo = lo;
    _yHi = hi;
}

void Chart::extend(double& lo, double& hi, const std::vector<double>& values) {
    for (double v : values) {
        if (!std::isfinite(v)) continue;
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
}

double Chart::px(double x) const { return _px + (x - _xLo) / (_xHi - _xLo) * _pw; }
double Chart::py(double y) const { return _py + _ph - (y - _yLo) / (_yHi - _yLo) * _ph; }

void Chart::drawFrame() {
    // Ranges a person can read: never empty, never inverted, never infinite.
    if (!std::isfinite(_xLo) || !std::isfinite(_xHi) || _xHi <= _xLo) {
        const double c = std::isfinite(_xLo) ? _xLo : 0;
        _xLo = c - 0.5;
        _xHi = c + 0.5;
    }
    if (!std::isfinite(_yLo) || !std::isfinite(_yHi) || _yHi <= _yLo) {
        const double c = std::isfinite(_yLo) ? _yLo : 0;
        _yLo = c - 1;
        _yHi = c + 1;
    }
    const std::vector<double> yTicks = niceTicks(_yLo, _yHi, 6);
    const double yStep = yTicks.size() > 1 ? yTicks[1] - yTicks[0] : 1;
    setFont(_cr, kTickSize);
    double tickW = 0;
    for (double t : yTicks) tickW = std::max(tickW, textWidth(_cr, tickLabel(t, yStep)));
    _px = _x + 22 + tickW + 6;
    _py = _y + (_title.empty() ? 8 : 26);
    _pw = std::max(10.0, _x + _w - 12 - _legendW - _px);
    _ph = std::max(10.0, _y + _h - 42 - _py);

    cairo_set_source_rgb(_cr, 1, 1, 1);
    cairo_rectangle(_cr, _x, _y, _w, _h);
    cairo_fill(_cr);
    if (!_title.empty()) {
        setColour(_cr, colors::kText);
        setFont(_cr, kTitleSize, true);
        drawText(_cr, _px, _y + 17, _title);
    }

    const std::vector<double> xTicks = niceTicks(_xLo, _xHi, std::max(2, static_cast<int>(_pw / 90)));
    const double xStep = xTicks.size() > 1 ? xTicks[1] - xTicks[0] : 1;
    cairo_set_line_width(_cr, 1);
    setColour(_cr, colors::kGrid);
    for (double t : xTicks) {
        cairo_move_to(_cr, std::round(px(t)) + 0.5, _py);
        cairo_line_to(_cr, std::round(px(t)) + 0.5, _py + _ph);
    }
    for (double t : yTicks) {
        cairo_move_to(_cr, _px, std::round(py(t)) + 0.5);
        cairo_line_to(_cr, _px + _pw, std::round(py(t)) + 0.5);
    }
    cairo_stroke(_cr);

    setColour(_cr, colors::kFrame);
    cairo_rectangle(_cr, std::round(_px) + 0.5, std::round(_py) + 0.5, std::round(_pw), std::round(_ph));
    cairo_stroke(_cr);
    setFont(_cr, kTickSize);
    setColour(_cr, colors::kText);
    for (double t : xTicks) {
        const std::string s = tickLabel(t, xStep);
        drawText(_cr, px(t) - textWidth(_cr, s) / 2, _py + _ph + 14, s);
        cairo_move_to(_cr, std::round(px(t)) + 0.5, _py + _ph);
        cairo_line_to(_cr, std::round(px(t)) + 0.5, _py + _ph + 4);
    }
    for (double t : yTicks) {
        const std::string s = tickLabel(t, yStep);
        drawText(_cr, _px - 6 - textWidth(_cr, s), py(t) + 3.5, s);
        cairo_move_to(_cr, _px - 4, std::round(py(t)) + 0.5);
        cairo_line_to(_cr, _px, std::round(py(t)) + 0.5);
    }
    cairo_stroke(_cr);

    setFont(_cr, kLabelSize);
    drawText(_cr, _px + _pw / 2 - textWidth(_cr, _xLabel) / 2, _y + _h - 10, _xLabel);
    cairo_save(_cr);
    cairo_translate(_cr, _x + 14, _py + _ph / 2 + textWidth(_cr, _yLabel) / 2);
    cairo_rotate(_cr, -M_PI / 2);
    drawText(_cr, 0, 0, _yLabel);
    cairo_restore(_cr);
}

void Chart::clipToPlot() const {
    cairo_rectangle(_cr, _px, _py, _pw, _ph);
    cairo_clip(_cr);
}

void Chart::curve(const std::vector<double>& x, const std::vector<double>& y, Rgb colour, double width,
                  bool dashed) const {
    const size_t n = x.empty() ? y.size() : std::min(x.size(), y.size());
    if (n == 0) return;
    cairo_save(_cr);
    clipToPlot();
    setColour(_cr, colour);
    cairo_set_line_width(_cr, width);
    cairo_set_line_join(_cr, CAIRO_LINE_JOIN_ROUND);
    if (dashed) {
        const double dash[] = {6, 4};
        cairo_set_dash(_cr, dash, 2, 0);
    }
    const auto xAt = [&](size_t i) { return x.empty() ? static_cast<double>(i) : x[i]; };
    bool pen = false;
    // Off-plot coordinates are held near the plot so cairo never sees huge numbers.
    const auto clampX = [&](double v) { return std::clamp(v, _px - 10 * _pw, _px + 11 * _pw); };
    const auto clampY = [&](double v) { return std::clamp(v, _py - 10 * _ph, _py + 11 * _ph); };
    if (n <= static_cast<size_t>(_pw) * 4) {
        // Points closer than a fraction of a pixel to the last one drawn add nothing but bytes to a vector file.
        double lastX = 0, lastY = 0, skipX = 0, skipY = 0;
        bool skipped = false;
        for (size_t i = 0; i < n; ++i) {
            const double xi = xAt(i), yi = y[i];
            if (!std::isfinite(xi) || !std::isfinite(yi)) {
                if (skipped) cairo_line_to(_cr, skipX, skipY);
                pen = false;
                skipped = false;
                continue;
            }
            const double cx = clampX(px(xi)), cy = clampY(py(yi));
            if (pen && std::fabs(cx - lastX) < 0.7 && std::fabs(cy - lastY) < 0.7) {
                skipped = true;
                skipX = cx;
                skipY = cy;
                continue;
            }
            lineTo(_cr, pen, cx, cy);
            lastX = cx;
            lastY = cy;
            skipped = false;
        }
        if (skipped) cairo_line_to(_cr, skipX, skipY);
    } else {
        // One column per pixel: first, lowest, highest and last value, in that order.
        long column = std::numeric_limits<long>::min();
        double lo = 0, hi = 0, last = 0;
        const auto flush = [&] {
            if (column == std::numeric_limits<long>::min()) return;
            lineTo(_cr, pen, column + 0.5, clampY(py(lo)));
            cairo_line_to(_cr, column + 0.5, clampY(py(hi)));
            cairo_line_to(_cr, column + 0.5, clampY(py(last)));
        };
        for (size_t i = 0; i < n; ++i) {
            const double xi = xAt(i), yi = y[i];
            if (!std::isfinite(xi) || !std::isfinite(yi)) {
                flush();
                column = std::numeric_limits<long>::min();
                pen = false;
                continue;
            }
            const long c = static_cast<long>(std::floor(clampX(px(xi))));
            if (c != column) {
                flush();
                if (pen && column != std::numeric_limits<long>::min()) cairo_line_to(_cr, c + 0.5, clampY(py(yi)));
                column = c;
                lo = hi = yi;
            }
            lo = std::min(lo, yi);
            hi = std::max(hi, yi);
            last = yi;
        }
        flush();
    }
    cairo_stroke(_cr);
    cairo_restore(_cr);
}

void Chart::shadeX(double x0, double x1, Rgb colour, double alpha) const {
    if (!std::isfinite(x0) || !std::isfinite(x1)) return;
    cairo_save(_cr);
    clipToPlot();
    const double a = std::clamp(px(std::min(x0, x1)), _px - 1, _px + _pw + 1);
    const double b = std::clamp(px(std::max(x0, x1)), _px - 1, _px + _pw + 1);
    setColour(_cr, colour, alpha);
    cairo_rectangle(_cr, a, _py, b - a, _ph);
    cairo_fill(_cr);
    cairo_restore(_cr);
}

void Chart::verticalLine(double x, Rgb colour, bool dashed, const std::string& label) const {
    if (!std::isfinite(x) || x < _xLo || x > _xHi) return;
    cairo_save(_cr);
    clipToPlot();
    setColour(_cr, colour);
    cairo_set_line_width(_cr, 1.5);
    if (dashed) {
        const double dash[] = {5, 3};
        cairo_set_dash(_cr, dash, 2, 0);
    }
    cairo_move_to(_cr, px(x), _py);
    cairo_line_to(_cr, px(x), _py + _ph);
    cairo_stroke(_cr);
    if (!label.empty()) {
        setFont(_cr, kTickSize);
        drawText(_cr, px(x) + 3, _py + _ph - 5, label);
    }
    cairo_restore(_cr);
}

void Chart::eventMarker(double x, const std::string& label, Rgb colour, int row) const {
    if (!std::isfinite(x) || x < _xLo || x > _xHi) return;
    const double cx = px(x), cy = _py + 11 + 20.0 * std::clamp(row, 0, 3);
    cairo_save(_cr);
    clipToPlot();
    setColour(_cr, colour, 0.5);
    cairo_set_line_width(_cr, 1);
    cairo_move_to(_cr, cx, cy + 9);
    cairo_line_to(_cr, cx, _py + _ph);
    cairo_stroke(_cr);
    setColour(_cr, colour);
    cairo_arc(_cr, cx, cy, 9, 0, 2 * M_PI);
    cairo_fill(_cr);
    cairo_set_source_rgb(_cr, 1, 1, 1);
    setFont(_cr, 10, true);
    drawText(_cr, cx - textWidth(_cr, label) / 2, cy + 4, label);
    cairo_restore(_cr);
}

void Chart::pointMarker(double x, double y, Rgb colour, const std::string& note) const {
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    const double cx = px(x), cy = py(y);
    if (cx < _px || cx > _px + _pw || cy < _py || cy > _py + _ph) return;
    cairo_save(_cr);
    setColour(_cr, colour);
    cairo_set_line_width(_cr, 2.5);
    cairo_arc(_cr, cx, cy, 7, 0, 2 * M_PI);
    cairo_stroke(_cr);
    if (!note.empty()) {
        setFont(_cr, kTickSize, true);
        const double w = textWidth(_cr, note);
        const double tx = cx + 10 + w < _px + _pw ? cx + 10 : cx - 10 - w;
        const double ty = cy - 10 > _py + 12 ? cy - 10 : cy + 20;
        cairo_set_source_rgba(_cr, 1, 1, 1, 0.85);
        cairo_rectangle(_cr, tx - 2, ty - 11, w + 4, 14);
        cairo_fill(_cr);
        setColour(_cr, colour);
        drawText(_cr, tx, ty, note);
    }
    cairo_restore(_cr);
}

void Chart::reserveLegend(const std::vector<LegendEntry>& entries) {
    if (entries.empty()) return;
    setFont(_cr, kTickSize);
    double w = 0;
    for (const auto& e : entries) w = std::max(w, textWidth(_cr, e.label));
    _legendW = std::min(w + 48, _w / 3);
}

void Chart::legend(const std::vector<LegendEntry>& entries) const {
    if (entries.empty()) return;
    cairo_save(_cr);
    setFont(_cr, kTickSize);
    double w = 0;
    for (const auto& e : entries) w = std::max(w, textWidth(_cr, e.label));
    const double boxW = _legendW > 0 ? _legendW - 8 : w + 40, boxH = 8 + 15.0 * static_cast<double>(entries.size());
    const double bx = _legendW > 0 ? _px + _pw + 8 : _px + _pw - boxW - 8, by = _legendW > 0 ? _py : _py + 26;
    cairo_set_source_rgba(_cr, 1, 1, 1, 0.9);
    cairo_rectangle(_cr, bx, by, boxW, boxH);
    cairo_fill_preserve(_cr);
    setColour(_cr, colors::kGrid);
    cairo_set_line_width(_cr, 1);
    cairo_stroke(_cr);
    double y = by + 15;
    for (const auto& e : entries) {
        setColour(_cr, e.colour);
        cairo_set_line_width(_cr, 2.5);
        if (e.dashed) {
            const double dash[] = {5, 3};
            cairo_set_dash(_cr, dash, 2, 0);
        }
        cairo_move_to(_cr, bx + 6, y - 4);
        cairo_line_to(_cr, bx + 30, y - 4);
        cairo_stroke(_cr);
        cairo_set_dash(_cr, nullptr, 0, 0);
        setColour(_cr, colors::kText);
        drawText(_cr, bx + 34, y, e.label);
        y += 15;
    }
    cairo_restore(_cr);
}

}  // namespace Kestrix::Report
