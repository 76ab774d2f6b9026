#pragma once
// A chart on a cairo surface: framed plot area, axes with units and ticks, a grid, curves, shaded ranges,
// markers and a legend. Every kind of plot draws through it so they share one look.
#include <string>
#include <vector>

typedef struct _cairo cairo_t;

namespace Kestrix::Report {

struct Rgb {
    double r = 0, g = 0, b = 0;
};

namespace colors {
inline constexpr Rgb kText{0.1, 0.1, 0.1};
inline constexpr Rgb kGrid{0.86, 0.86, 0.86};
inline constexpr Rgb kFrame{0.35, 0.35, 0.35};
inline constexpr Rgb kLimit{0.85, 0.0, 0.0};
inline constexpr Rgb kPass{0.0, 0.55, 0.2};
inline constexpr Rgb kFail{0.8, 0.0, 0.0};
inline constexpr Rgb kNeutral{0.45, 0.45, 0.45};
inline constexpr Rgb kShade{0.55, 0.7, 0.95};
// The n-th curve's colour (wraps around).
Rgb series(size_t n);
}  // namespace colors

// Host status as a word and its colour: "PASS", "PASS*", "FAIL", ...
const char* statusWord(int hostStatus);
Rgb statusColour(int hostStatus);

// Round tick values covering [lo, hi], about `target` of them.
std::vector<double> niceTicks(double lo, double hi, int target);
// A tick label with as many decimals as the step needs.
std::string tickLabel(double value, double step);

void setColour(cairo_t* cr, Rgb c, double alpha = 1.0);
void setFont(cairo_t* cr, double size, bool bold = false);
// Draws text with its left edge at x and baseline at y; returns its width.
double drawText(cairo_t* cr, double x, double y, const std::string& text);
double textWidth(cairo_t* cr, const std::string& text);
// A coloured box with a word in it ("PASS"), right edge at x, top at y.
void drawBadge(cairo_t* cr, double rightX, double y, const std::string& word, Rgb colour);

class Chart {
public:
    // The whole chart (titles, labels and plot area) fits in the rectangle.
    Chart(cairo_t* cr, double x, double y, double width, double height);

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

    // A curve: points with a NaN break it; `x` empty means x = index. Long curves are reduced to the
    // lowest and highest value per pixel column, which looks the same and draws in time linear in the points.
    void curve(const std::vector<double>& x, const std::vector<double>& y, Rgb colour, double width,
               bool dashed = false) const;
    // A vertical band from x0 to x1 across the plot area.
    void shadeX(double x0, double x1, Rgb colour, double alpha) const;
    void verticalLine(double x, Rgb colour, bool dashed, const std::string& label) const;
    // A circled number at (x, top of the plot area) with a thin line down; `row` 1, 2, ... sets it lower so
    // close neighbours stay readable.
    void eventMarker(double x, const std::string& label, Rgb colour, int row = 0) const;
    // A ring at a data point with a note beside it.
    void pointMarker(double x, double y, Rgb colour, const std::string& note) const;

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

    cairo_t* _cr;
    double _x, _y, _w, _h;
    double _px = 0, _py = 0, _pw = 1, _ph = 1;
    std::string _title, _xLabel, _yLabel;
    double _xLo = 0, _xHi = 1, _yLo = 0, _yHi = 1;
    double _legendW = 0;
};

}  // namespace Kestrix::Report
