// The shared chart: one look for every plot.
#include "tester/report/Chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "tester/draw/Text.h"
#include "tester/record/HostEnumNames.h"

namespace Kestrix::Report {

namespace {

void lineTo(Painter& p, bool& pen, double x, double y) {
    if (pen) {
        p.lineTo(x, y);
    } else {
        p.moveTo(x, y);
        pen = true;
    }
}

}  // namespace

namespace colors {
Rgb series(size_t n) {
    static constexpr Rgb kPalette[kSeriesCount] = {
        {0.12, 0.35, 0.75}, {0.95, 0.5, 0.05}, {0.1, 0.6, 0.3}, {0.55, 0.35, 0.2},  {0.55, 0.2, 0.7}, {0.0, 0.6, 0.65},
        {0.85, 0.3, 0.55},  {0.45, 0.45, 0.1}, {0.3, 0.3, 0.3}, {0.55, 0.75, 0.05}, {0.2, 0.7, 0.95}, {0.75, 0.55, 0.0},
    };
    return kPalette[n % kSeriesCount];
}
}  // namespace colors

Rgb toneColour(Tone t) {
    switch (t) {
        case Tone::muted: return colors::kNeutral;
        case Tone::pass: return colors::kPass;
        case Tone::warn: return colors::kWarn;
        case Tone::fail: return colors::kFail;
        default: return colors::kText;
    }
}

namespace {

struct StatusLook {
    int status;
    Tone tone;
};

// The verdicts; any other status (not set, unknown) reads muted. Words are the host record's status names.
constexpr StatusLook kStatusLooks[] = {
    {Tester::kHostStatusFail, Tone::fail},
    {Tester::kHostStatusPassStar, Tone::warn},
    {Tester::kHostStatusPass, Tone::pass},
    {Tester::kHostStatusPassAcceptable, Tone::pass},
};

}  // namespace

const char* statusWord(int hostStatus) { return Tester::hostStatusName(hostStatus); }

Tone statusTone(int hostStatus) {
    for (const StatusLook& l : kStatusLooks)
        if (l.status == hostStatus) return l.tone;
    return Tone::muted;
}

Rgb statusColour(int hostStatus) { return toneColour(statusTone(hostStatus)); }

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

double drawBadge(Painter& p, double rightX, double y, const std::string& word, Rgb colour, double size) {
    p.setFont(size, true);
    const double w = p.textWidth(word) + size * 1.2;
    p.setColour(colour);
    p.rectangle(rightX - w, y, w, size * 1.65);
    p.fill();
    p.setColour({1, 1, 1});
    p.text(rightX - w + size * 0.6, y + size * 1.25, word);
    return w;
}

Curve reduceCurve(const std::vector<double>& x, const std::vector<double>& y, double lo, double hi, size_t columns) {
    Curve out;
    const size_t n = x.empty() ? y.size() : std::min(x.size(), y.size());
    if (n == 0 || columns == 0 || !(hi > lo)) return out;
    const auto xAt = [&](size_t i) { return x.empty() ? static_cast<double>(i) : x[i]; };
    const double perColumn = static_cast<double>(columns) / (hi - lo);
    long column = std::numeric_limits<long>::min();
    size_t loAt = 0, hiAt = 0;
    bool open = false;
    const auto flush = [&] {
        if (!open) return;
        const size_t a = std::min(loAt, hiAt), b = std::max(loAt, hiAt);
        out.x.push_back(xAt(a));
        out.y.push_back(y[a]);
        if (b != a) {
            out.x.push_back(xAt(b));
            out.y.push_back(y[b]);
        }
        open = false;
    };
    for (size_t i = 0; i < n; ++i) {
        const double xi = xAt(i), yi = y[i];
        if (!std::isfinite(xi) || xi < lo || xi > hi) continue;
        if (!std::isfinite(yi)) {
            flush();
            // A gap stays a gap.
            if (!out.y.empty() && std::isfinite(out.y.back())) {
                out.x.push_back(xi);
                out.y.push_back(std::numeric_limits<double>::quiet_NaN());
            }
            column = std::numeric_limits<long>::min();
            continue;
        }
        const long c = std::min(static_cast<long>(columns) - 1, static_cast<long>((xi - lo) * perColumn));
        if (c != column || !open) {
            flush();
            column = c;
            loAt = hiAt = i;
            open = true;
            continue;
        }
        if (yi < y[loAt]) loAt = i;
        if (yi > y[hiAt]) hiAt = i;
    }
    flush();
    return out;
}

Chart::Chart(Painter& p, double x, double y, double width, double height, double scale)
    : _p(p), _x(x), _y(y), _w(width), _h(height), _k(scale) {}

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

namespace {

// Where the frame's parts go, in points at scale 1 (a chart multiplies them by its scale).
struct FrameLayout {
    static constexpr double kTickFont = 10, kLabelFont = 11, kTitleFont = 14;
    static constexpr double kMinPlot = 10;  // the plot area's least width and height
    // Room around the plot area: above for the title, left for the y label and tick labels, right and below.
    static constexpr double kTop = 8, kTopTitled = 24;
    static constexpr double kTitleBaseline = 16;
    static constexpr double kLeft = 6, kLeftLabelled = 20;
    static constexpr double kTickGap = 6;  // tick labels to the plot area
    static constexpr double kRight = 10;
    static constexpr double kBottom = 20, kBottomLabelled = 36, kCaptionLine = 14, kBottomPad = 6;
    // Ticks and their labels.
    static constexpr double kXTickSpacing = 90;  // about one x tick this far apart
    static constexpr int kYTicks = 6, kYTicksSmall = 4;
    static constexpr double kSmallScale = 0.8;  // charts below it are small multiples
    static constexpr double kTickLength = 4;
    static constexpr double kXTickBaseline = 13;   // below the plot area
    static constexpr double kYTickBaseline = 3.5;  // below the tick's line
    static constexpr double kXLabelLine = 15;      // x label under the tick labels
    static constexpr double kCaptionInset = 4;     // a caption wider than the plot starts here
    static constexpr double kYLabelX = 13;         // the rotated y label's baseline
    static constexpr size_t kCategoryChars = 60;
};

}  // namespace

void Chart::settleRanges() {
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
}

void Chart::drawFrame() {
    using L = FrameLayout;
    settleRanges();
    const double tickSize = L::kTickFont * _k, titleSize = L::kTitleFont * _k;
    const std::vector<double> yTicks = niceTicks(_yLo, _yHi, _k < L::kSmallScale ? L::kYTicksSmall : L::kYTicks);
    const double yStep = yTicks.size() > 1 ? yTicks[1] - yTicks[0] : 1;
    _p.setFont(tickSize);
    double tickW = 0;
    for (double t : yTicks) tickW = std::max(tickW, _p.textWidth(tickLabel(t, yStep)));
    const double bottom = (_xLabel.empty() ? L::kBottom : L::kBottomLabelled) * _k +
                          (_caption.empty() ? 0 : L::kCaptionLine * _k) + L::kBottomPad * _k;
    _px = _x + (_yLabel.empty() ? L::kLeft : L::kLeftLabelled) * _k + tickW + L::kTickGap * _k;
    _py = _y + (_title.empty() ? L::kTop : L::kTopTitled) * _k;
    _pw = std::max(L::kMinPlot, _x + _w - L::kRight * _k - _legendW - _px);
    _ph = std::max(L::kMinPlot, _y + _h - bottom - _py);

    _p.setColour({1, 1, 1});
    _p.rectangle(_x, _y, _w, _h);
    _p.fill();
    if (!_title.empty()) {
        _p.setColour(colors::kText);
        _p.setFont(titleSize, true);
        _p.text(_px, _y + L::kTitleBaseline * _k, _title);
    }

    const std::vector<double> xTicks =
        _categories.empty() ? niceTicks(_xLo, _xHi, std::max(2, static_cast<int>(_pw / (L::kXTickSpacing * _k))))
                            : std::vector<double>();
    drawGrid(xTicks, yTicks);
    drawTicks(xTicks, yTicks, yStep);
    drawAxisLabels();
}

void Chart::drawGrid(const std::vector<double>& xTicks, const std::vector<double>& yTicks) const {
    _p.setLineWidth(std::max(0.5, _k));
    _p.setDash({});
    _p.setColour(colors::kGrid);
    for (double t : xTicks) {
        _p.moveTo(std::round(px(t)) + 0.5, _py);
        _p.lineTo(std::round(px(t)) + 0.5, _py + _ph);
    }
    for (double t : yTicks) {
        _p.moveTo(_px, std::round(py(t)) + 0.5);
        _p.lineTo(_px + _pw, std::round(py(t)) + 0.5);
    }
    _p.stroke();

    _p.setColour(colors::kFrame);
    _p.rectangle(std::round(_px) + 0.5, std::round(_py) + 0.5, std::round(_pw), std::round(_ph));
    _p.stroke();
}

void Chart::drawTicks(const std::vector<double>& xTicks, const std::vector<double>& yTicks, double yStep) const {
    using L = FrameLayout;
    const double xStep = xTicks.size() > 1 ? xTicks[1] - xTicks[0] : 1;
    _p.setFont(L::kTickFont * _k);
    _p.setColour(colors::kText);
    for (double t : xTicks) {
        const std::string s = tickLabel(t, xStep);
        _p.text(px(t) - _p.textWidth(s) / 2, _py + _ph + L::kXTickBaseline * _k, s);
        _p.moveTo(std::round(px(t)) + 0.5, _py + _ph);
        _p.lineTo(std::round(px(t)) + 0.5, _py + _ph + L::kTickLength * _k);
    }
    for (const auto& [x, label] : _categories) {
        const std::string s = Draw::cleanText(label, L::kCategoryChars);
        _p.text(px(x) - _p.textWidth(s) / 2, _py + _ph + L::kXTickBaseline * _k, s);
    }
    for (double t : yTicks) {
        const std::string s = tickLabel(t, yStep);
        _p.text(_px - L::kTickGap * _k - _p.textWidth(s), py(t) + L::kYTickBaseline * _k, s);
        _p.moveTo(_px - L::kTickLength * _k, std::round(py(t)) + 0.5);
        _p.lineTo(_px, std::round(py(t)) + 0.5);
    }
    _p.stroke();
}

void Chart::drawAxisLabels() const {
    using L = FrameLayout;
    const double labelSize = L::kLabelFont * _k;
    _p.setFont(labelSize);
    double below = _py + _ph + L::kXTickBaseline * _k;
    if (!_xLabel.empty()) {
        below += L::kXLabelLine * _k;
        _p.text(_px + _pw / 2 - _p.textWidth(_xLabel) / 2, below, _xLabel);
    }
    if (!_caption.empty()) {
        below += L::kCaptionLine * _k;
        _p.setFont(L::kTickFont * _k, true);
        _p.setColour(_captionColour);
        const std::string s = Draw::cleanText(_caption);
        _p.text(std::max(_x + L::kCaptionInset * _k, _px + _pw / 2 - _p.textWidth(s) / 2), below, s);
        _p.setColour(colors::kText);
    }
    if (!_yLabel.empty()) {
        _p.setFont(labelSize);
        _p.save();
        _p.translate(_x + L::kYLabelX * _k, _py + _ph / 2 + _p.textWidth(_yLabel) / 2);
        _p.rotateLeft();
        _p.text(0, 0, _yLabel);
        _p.restore();
    }
}

void Chart::clipToPlot() const { _p.clipRect(_px, _py, _pw, _ph); }

void Chart::curve(const std::vector<double>& x, const std::vector<double>& y, Rgb colour, double width,
                  bool dashed) const {
    const size_t n = x.empty() ? y.size() : std::min(x.size(), y.size());
    if (n == 0) return;
    const size_t columns = static_cast<size_t>(std::max(1.0, std::ceil(_pw)));
    const Curve c = n > 2 * columns ? reduceCurve(x, y, _xLo, _xHi, columns) : Curve{};
    const std::vector<double>& cx = n > 2 * columns ? c.x : x;
    const std::vector<double>& cy = n > 2 * columns ? c.y : y;
    const size_t m = n > 2 * columns ? c.y.size() : n;
    _p.save();
    clipToPlot();
    _p.setColour(colour);
    _p.setLineWidth(width * _k);
    _p.setRoundJoins(true);
    _p.setDash(dashed ? std::vector<double>{6 * _k, 4 * _k} : std::vector<double>{});
    // Off-plot coordinates are held near the plot so no backend sees huge numbers.
    const auto clampX = [&](double v) { return std::clamp(v, _px - 10 * _pw, _px + 11 * _pw); };
    const auto clampY = [&](double v) { return std::clamp(v, _py - 10 * _ph, _py + 11 * _ph); };
    bool pen = false;
    for (size_t i = 0; i < m; ++i) {
        const double xi = cx.empty() ? static_cast<double>(i) : cx[i], yi = cy[i];
        if (!std::isfinite(xi) || !std::isfinite(yi)) {
            pen = false;
            continue;
        }
        lineTo(_p, pen, clampX(px(xi)), clampY(py(yi)));
    }
    _p.stroke();
    _p.restore();
}

void Chart::shadeX(double x0, double x1, Rgb colour, double alpha) const {
    if (!std::isfinite(x0) || !std::isfinite(x1)) return;
    _p.save();
    clipToPlot();
    const double a = std::clamp(px(std::min(x0, x1)), _px - 1, _px + _pw + 1);
    const double b = std::clamp(px(std::max(x0, x1)), _px - 1, _px + _pw + 1);
    _p.setColour(colour, alpha);
    _p.rectangle(a, _py, b - a, _ph);
    _p.fill();
    _p.restore();
}

void Chart::verticalLine(double x, Rgb colour, bool dashed, const std::string& label) const {
    if (!std::isfinite(x) || x < _xLo || x > _xHi) return;
    _p.save();
    clipToPlot();
    _p.setColour(colour);
    _p.setLineWidth(1.5 * _k);
    _p.setDash(dashed ? std::vector<double>{5 * _k, 3 * _k} : std::vector<double>{});
    _p.moveTo(px(x), _py);
    _p.lineTo(px(x), _py + _ph);
    _p.stroke();
    if (!label.empty()) {
        _p.setFont(10 * _k);
        _p.text(px(x) + 3 * _k, _py + _ph - 5 * _k, label);
    }
    _p.restore();
}

void Chart::eventMarker(double x, const std::string& label, Rgb colour, int row) const {
    if (!std::isfinite(x) || x < _xLo || x > _xHi) return;
    const double r = 9 * _k;
    const double cx = px(x), cy = _py + r + 2 * _k + 2.2 * r * std::clamp(row, 0, 3);
    _p.save();
    clipToPlot();
    _p.setColour(colour, 0.5);
    _p.setLineWidth(_k);
    _p.setDash({});
    _p.moveTo(cx, cy + r);
    _p.lineTo(cx, _py + _ph);
    _p.stroke();
    _p.setColour(colour);
    _p.circle(cx, cy, r);
    _p.fill();
    _p.setColour({1, 1, 1});
    _p.setFont(10 * _k, true);
    _p.text(cx - _p.textWidth(label) / 2, cy + 3.6 * _k, label);
    _p.restore();
}

void Chart::pointMarker(double x, double y, Rgb colour) const {
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    const double cx = px(x), cy = py(y);
    if (cx < _px || cx > _px + _pw || cy < _py || cy > _py + _ph) return;
    _p.save();
    _p.setColour(colour);
    _p.setLineWidth(2.2 * _k);
    _p.setDash({});
    _p.circle(cx, cy, 6 * _k);
    _p.stroke();
    _p.restore();
}

void Chart::bar(double x, double width, double value, Rgb colour) const {
    if (!std::isfinite(x) || !std::isfinite(value)) return;
    _p.save();
    clipToPlot();
    const double left = px(x - width / 2), right = px(x + width / 2);
    const double top = py(std::max(value, 0.0)), base = py(std::min(value, 0.0));
    _p.setColour(colour);
    _p.rectangle(left, top, right - left, base - top);
    _p.fill();
    _p.restore();
}

void Chart::barLimit(double x, double width, double value, Rgb colour) const {
    if (!std::isfinite(x) || !std::isfinite(value)) return;
    _p.save();
    clipToPlot();
    _p.setColour(colour);
    _p.setLineWidth(2.5 * _k);
    _p.setDash({});
    _p.moveTo(px(x - width * 0.65), py(value));
    _p.lineTo(px(x + width * 0.65), py(value));
    _p.stroke();
    _p.restore();
}

void Chart::reserveLegend(const std::vector<LegendEntry>& entries) {
    if (entries.empty()) return;
    _p.setFont(10 * _k);
    double w = 0;
    for (const auto& e : entries) w = std::max(w, _p.textWidth(Draw::cleanText(e.label)));
    _legendW = std::min(w + 46 * _k, _w / 3);
}

void Chart::legend(const std::vector<LegendEntry>& entries) const {
    if (entries.empty()) return;
    _p.save();
    _p.setFont(10 * _k);
    double w = 0;
    for (const auto& e : entries) w = std::max(w, _p.textWidth(Draw::cleanText(e.label)));
    const double rowH = 14 * _k;
    const double boxW = _legendW > 0 ? _legendW - 8 * _k : w + 40 * _k;
    const double boxH = 6 * _k + rowH * static_cast<double>(entries.size());
    const double bx = _legendW > 0 ? _px + _pw + 8 * _k : _px + _pw - boxW - 8 * _k;
    const double by = _legendW > 0 ? _py : _py + 26 * _k;
    _p.setColour({1, 1, 1}, 0.9);
    _p.rectangle(bx, by, boxW, boxH);
    _p.fill(true);
    _p.setColour(colors::kGrid);
    _p.setLineWidth(_k);
    _p.setDash({});
    _p.stroke();
    double y = by + rowH;
    for (const auto& e : entries) {
        _p.setColour(e.colour);
        _p.setLineWidth(2.5 * _k);
        _p.setDash(e.dashed ? std::vector<double>{5 * _k, 3 * _k} : std::vector<double>{});
        _p.moveTo(bx + 6 * _k, y - 4 * _k);
        _p.lineTo(bx + 28 * _k, y - 4 * _k);
        _p.stroke();
        _p.setDash({});
        _p.setColour(colors::kText);
        _p.text(bx + 32 * _k, y, Draw::cleanText(e.label));
        y += rowH;
    }
    _p.restore();
}

}  // namespace Kestrix::Report
