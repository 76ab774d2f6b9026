#pragma once
// A chart on a painter: framed plot area, axes with units and ticks, a grid, curves, shaded ranges,
// markers, bars and a legend. Every kind of plot draws through it so they share one look.
#include <cstddef>
#include <string>
#include <vector>

#include "tester/draw/Painter.h"
#include "tester/host/HostStatus.h"

namespace Kestrix::Report {

using Draw::Painter;
using Draw::Rgb;

namespace colors {
inline constexpr Rgb kText{0.1, 0.1, 0.1};
inline constexpr Rgb kGrid{0.86, 0.86, 0.86};
inline constexpr Rgb kFrame{0.35, 0.35, 0.35};
inline constexpr Rgb kLimit{0.85, 0.0, 0.0};
inline constexpr Rgb kPass{0.0, 0.55, 0.2};
inline constexpr Rgb kFail{0.8, 0.0, 0.0};
inline constexpr Rgb kWarn{0.85, 0.45, 0.0};
inline constexpr Rgb kNeutral{0.45, 0.45, 0.45};
inline constexpr Rgb kShade{0.55, 0.7, 0.95};
inline constexpr size_t kSeriesCount = 12;
// The n-th curve's colour: twelve that tell apart, none of them the limit's red (wraps around).
Rgb series(size_t n);
}  // namespace colors

// How a text or a mark reads: its colour on a page (muted grey, pass green, ...).
enum class Tone { normal, muted, pass, warn, fail };
Rgb toneColour(Tone t);

// Host status as a word and its tone: "PASS" pass, "PASS*" warn, "FAIL" fail, ...
const char* statusWord(int hostStatus);
Tone statusTone(int hostStatus);
Rgb statusColour(int hostStatus);

// Round tick values covering [lo, hi], about `target` of them.
std::vector<double> niceTicks(double lo, double hi, int target);
// A tick label with as many decimals as the step needs.
std::string tickLabel(double value, double step);

// A coloured box with a word in it ("PASS"), right edge at x, top at y; returns its width.
double drawBadge(Painter& p, double rightX, double y, const std::string& word, Rgb colour, double size = 12);

// A curve cut down to at most two points per column of `columns` equal columns over [lo, hi] of x: each
// column keeps its lowest and highest value in the order they came, so peaks and dips survive. Points with a
// NaN keep their gap; points outside [lo, hi] are dropped. `x` empty means x = index.
struct Curve {
    std::vector<double> x, y;
};
Curve reduceCurve(const std::vector<double>& x, const std::vector<double>& y, double lo, double hi, size_t columns);

class Chart {
public:
    // The whole chart (titles, labels and plot area) fits in the rectangle. `scale` sizes the fonts and
    // margins (1 for a full-size picture, smaller for a report's small multiples).
    Chart(Painter& p, double x, double y, double width, double height, double scale = 1.0);

    void setTitle(const std::string& title) { _title = title; }
    void setXAxis(const std::string& label, double lo, double hi);
    void setYAxis(const std::string& label, double lo, double hi);
    // Widens the axis ranges to cover the finite values given.
    static void extend(double& lo, double& hi, const std::vector<double>& values);

    // Background, grid, ticks, axis labels and title. Call before the contents.
    void drawFrame();

    double px(double x) const;
    double py(double y) const;
    double plotLeft() const { return _px; }
    double plotTop() const { return _py; }
    double plotWidth() const { return _pw; }
    double plotHeight() const { return _ph; }

    // A curve: points with a NaN break it; `x` empty means x = index. Long curves are cut down to the plot's
    // pixel columns first (reduceCurve), which looks the same and keeps vector files small.
    void curve(const std::vector<double>& x, const std::vector<double>& y, Rgb colour, double width,
               bool dashed = false) const;
    // A vertical band from x0 to x1 across the plot area.
    void shadeX(double x0, double x1, Rgb colour, double alpha) const;
    void verticalLine(double x, Rgb colour, bool dashed, const std::string& label) const;
    // A circled number at (x, top of the plot area) with a thin line down; `row` 1, 2, ... sets it lower so
    // close neighbours stay readable.
    void eventMarker(double x, const std::string& label, Rgb colour, int row = 0) const;
    // A ring at a data point (its note goes into the chart's caption, never over the curves).
    void pointMarker(double x, double y, Rgb colour) const;
    // A filled bar from 0 to `value` centred at x, `width` in x units.
    void bar(double x, double width, double value, Rgb colour) const;
    // A short horizontal line across a bar: a limit.
    void barLimit(double x, double width, double value, Rgb colour) const;
    // A line of text under the x axis label (the worst margin, say), never over the curves; before drawFrame.
    void setCaption(const std::string& text, Rgb colour) {
        _caption = text;
        _captionColour = colour;
    }
    // Text labels under the x axis at given positions instead of numeric ticks.
    void setCategories(const std::vector<std::pair<double, std::string>>& labels) { _categories = labels; }

    struct LegendEntry {
        std::string label;
        Rgb colour;
        bool dashed = false;
    };
    // Keeps a column right of the plot area for these entries; call before drawFrame.
    void reserveLegend(const std::vector<LegendEntry>& entries);
    // In the reserved column, else in the plot area's top right corner.
    void legend(const std::vector<LegendEntry>& entries) const;

private:
    void clipToPlot() const;
    // Parts of drawFrame, in order.
    void settleRanges();
    void drawGrid(const std::vector<double>& xTicks, const std::vector<double>& yTicks) const;
    void drawTicks(const std::vector<double>& xTicks, const std::vector<double>& yTicks, double yStep) const;
    void drawAxisLabels() const;

    Painter& _p;
    double _x, _y, _w, _h, _k;
    double _px = 0, _py = 0, _pw = 1, _ph = 1;
    std::string _title, _xLabel, _yLabel;
    double _xLo = 0, _xHi = 1, _yLo = 0, _yHi = 1;
    double _legendW = 0;
    std::string _caption;
    Rgb _captionColour;
    std::vector<std::pair<double, std::string>> _categories;
};

}  // namespace Kestrix::Report
