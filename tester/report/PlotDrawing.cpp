// OTDR, copper, wiremap, end-face and loss pictures on the shared chart.
#include "tester/report/PlotDrawing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>

#include "tester/draw/Raster.h"
#include "tester/record/CopperRecordUtil.h"
#include "tester/record/EnumConverter.h"
#include "tester/record/TarvelWiremap.h"
#include "tester/record/TestRecordTarvel.h"
#include "tester/report/RecordPlots.h"

namespace Kestrix::Report {

namespace {

constexpr double kFeetPerMetre = 3.2808399;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Event rows shown under an OTDR plot; the rest are counted.
constexpr size_t kMaxEventRows = 40;
constexpr size_t kMaxEventRowsCompact = 14;
constexpr size_t kMaxTableWavelengths = 4;

std::string fmt(const char* f, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, f, v);
    return buf;
}

std::string numberOrDash(double v, const char* f = "%.2f") { return std::isfinite(v) ? fmt(f, v) : "-"; }

double paramValue(const Tester::SingleMeasurement& m) {
    const Tester::MeasParam* p = m.Find(Tester::MeasKind::Value);
    return p != nullptr ? p->Value : kNaN;
}

void titleBar(Painter& p, double width, const std::string& title, int status, bool withStatus, double k = 1.0) {
    double right = width - 10 * k;
    if (withStatus) right -= drawBadge(p, width - 10 * k, 4 * k, statusWord(status), statusColour(status), 12 * k) + 8;
    p.setColour(colors::kText);
    p.setFont(14 * k, true);
    std::string t = cleanText(title);
    // A title never runs under the badge: long ones lose their tail, marked.
    while (t.size() > 1 && p.textWidth(t) > right - 10 * k) {
        t.pop_back();
        while (!t.empty() && (static_cast<unsigned char>(t.back()) & 0xC0) == 0x80) t.pop_back();
        if (!t.empty() && static_cast<unsigned char>(t.back()) >= 0xC0) t.pop_back();
        if (p.textWidth(t + "...") <= right - 10 * k) {
            t += "...";
            break;
        }
    }
    p.text(10 * k, 19 * k, t);
}

// --- OTDR ---

struct OtdrGeometry {
    double width, chartHeight;
    size_t rows;
    double scale = 1.0;  // fonts and margins
};

double otdrEndLocation(const Tester::OtdrTest& t) {
    for (const auto& e : t.MergedEvents)
        if (e.Type == Tester::kOtdrEventEnd) return e.Location;
    return kNaN;
}

std::vector<int> tableWavelengths(const Tester::OtdrTest& t) {
    std::vector<int> wl;
    for (const auto& w : t.Wavelengths)
        if (w.Wavelength != 0 && std::find(wl.begin(), wl.end(), w.Wavelength) == wl.end() &&
            wl.size() < kMaxTableWavelengths)
            wl.push_back(w.Wavelength);
    for (const auto& e : t.MergedEvents)
        for (const auto& ev : e.Events)
            if (ev.Wavelength != 0 && std::find(wl.begin(), wl.end(), ev.Wavelength) == wl.end() &&
                wl.size() < kMaxTableWavelengths)
                wl.push_back(ev.Wavelength);
    std::sort(wl.begin(), wl.end());
    return wl;
}

// Where things go on an OTDR picture, in points (a small picture scales the chart part by its scale).
struct OtdrLayout {
    static constexpr double kTitleHeight = 28;  // the chart starts under the title bar
    static constexpr double kBottomPad = 8;     // under a chart without an event table
    // Level range: a margin of this share of the range below and above, four times that above for the markers.
    static constexpr double kLevelPad = 0.06;
    static constexpr double kMarkerHeadroom = 4;
    static constexpr double kDistancePad = 1.02;      // the distance axis runs a little past the last point
    static constexpr double kDefaultDistance = 1000;  // m, without any point
    static constexpr double kDefaultLevelTop = 40;    // dB, without any curve
    static constexpr double kCurveWidth = 1.3;
    static constexpr double kShadeAlpha = 0.3;
    static constexpr double kMarkerCrowd = 19;  // a marker nearer than this to the one before goes a row lower
    static constexpr int kMarkerRows = 4;

    // The event table under the chart: baselines, then columns.
    static constexpr double kTableGap = 16;     // chart bottom to the wavelength headings
    static constexpr double kHeadingLine = 13;  // wavelength headings to the column titles
    static constexpr double kRowHeight = 15;
    static constexpr double kRuleDrop = 4.5;   // the rule under the column titles, below their baseline
    static constexpr double kStripeRise = 11;  // a striped row's band starts this far above its baseline
    static constexpr double kInset = 8;        // the rule and the stripes keep this far from the sides
    static constexpr double kNumberX = 10;
    static constexpr double kTypeX = 30;
    static constexpr double kNarrowWidth = 700;  // narrower pictures pull the columns in
    static constexpr double kLocationX = 130, kLocationXNarrow = 110;
    static constexpr double kFirstValueX = 230, kFirstValueXNarrow = 180;
    static constexpr double kMaxValueWidth = 90;  // one loss or reflectance column
    static constexpr double kRightMargin = 10;

    static constexpr double kSmallBottomPad = 4;  // under the chart of a small picture

    // The picture's height for a chart of `chartHeight` and an event table of `rows` lines (0 for none; the
    // last line is the room under the last row).
    static double height(double chartHeight, size_t rows) {
        return kTitleHeight + chartHeight +
               (rows == 0 ? kBottomPad : kTableGap + kHeadingLine + kRowHeight * static_cast<double>(rows));
    }
};

// Numbered event markers over the chart. A marker too close to the one before goes a row lower (up to four
// rows, then back to the top).
void drawEventMarkers(Chart& chart, const Tester::OtdrTest& t, double k, double scale) {
    using L = OtdrLayout;
    double lastX = -1e9;
    int row = 0;
    for (size_t i = 0; i < t.MergedEvents.size(); ++i) {
        const auto& e = t.MergedEvents[i];
        const double x = chart.px(e.Location * k);
        row = std::fabs(x - lastX) < L::kMarkerCrowd * scale ? (row + 1) % L::kMarkerRows : 0;
        lastX = x;
        chart.eventMarker(e.Location * k, std::to_string(i + 1),
                          e.Status == Tester::kHostStatusFail ? colors::kFail : colors::kText, row);
    }
}

// The chart of an OTDR picture: traces, launch and tail shading, the span and the numbered event markers.
void drawOtdrChart(Painter& p, const OtdrView& v, const OtdrGeometry& g) {
    using L = OtdrLayout;
    const Tester::OtdrTest& t = *v.test;
    const double k = v.feet ? kFeetPerMetre : 1.0;
    const double s = g.scale;

    double xLo = 0, xHi = 0, yLo = std::numeric_limits<double>::infinity(), yHi = -yLo;
    if (v.plots) {
        for (const auto& s : v.plots->Series) {
            Chart::extend(xLo, xHi, s.X);
            Chart::extend(yLo, yHi, s.Y);
        }
    }
    for (const auto& e : t.MergedEvents) Chart::extend(xLo, xHi, {e.Location});
    if (!(yHi > yLo)) {
        yLo = 0;
        yHi = L::kDefaultLevelTop;
    }
    const double pad = (yHi - yLo) * L::kLevelPad;
    Chart chart(p, 0, L::kTitleHeight * s, g.width, g.chartHeight, s);
    chart.setXAxis(v.feet ? "Distance (ft)" : "Distance (m)", xLo * k,
                   (xHi > xLo ? xHi * L::kDistancePad : L::kDefaultDistance) * k);
    chart.setYAxis("Level (dB)", yLo - pad, yHi + pad * L::kMarkerHeadroom);
    std::vector<Chart::LegendEntry> legend;
    if (v.plots)
        for (size_t i = 0; i < v.plots->Series.size(); ++i)
            legend.push_back({std::to_string(v.plots->Series[i].Wavelength) + " nm", colors::series(i)});
    if ((t.LaunchLength && *t.LaunchLength > 0) || (t.TailLength && *t.TailLength > 0))
        legend.push_back({"launch / tail", colors::kShade});
    chart.reserveLegend(legend);
    chart.drawFrame();

    if (t.LaunchLength && *t.LaunchLength > 0) chart.shadeX(0, *t.LaunchLength * k, colors::kShade, L::kShadeAlpha);
    const double endLoc = otdrEndLocation(t);
    if (t.TailLength && *t.TailLength > 0 && std::isfinite(endLoc))
        chart.shadeX((endLoc - *t.TailLength) * k, endLoc * k, colors::kShade, L::kShadeAlpha);

    if (v.plots) {
        size_t i = 0;
        for (const auto& s : v.plots->Series) {
            const Rgb c = colors::series(i++);
            if (v.feet) {
                std::vector<double> x(s.X);
                for (double& d : x) d *= k;
                chart.curve(x, s.Y, c, L::kCurveWidth);
            } else {
                chart.curve(s.X, s.Y, c, L::kCurveWidth);
            }
        }
    }
    chart.legend(legend);
    if (t.SegmentLocSetByTester) {
        chart.verticalLine(t.SegmentLocSetByTester->Start * k, colors::kNeutral, true, "span start");
        chart.verticalLine(t.SegmentLocSetByTester->Stop * k, colors::kNeutral, true, "span stop");
    }
    drawEventMarkers(chart, t, k, s);
}

// The event table's columns: per wavelength a loss and a reflectance column.
struct EventColumns {
    EventColumns(double width, size_t wavelengths) {
        using L = OtdrLayout;
        const bool narrow = width < L::kNarrowWidth;
        location = narrow ? L::kLocationXNarrow : L::kLocationX;
        first = narrow ? L::kFirstValueXNarrow : L::kFirstValueX;
        value = std::min(L::kMaxValueWidth,
                         (width - first - L::kRightMargin) / static_cast<double>(std::max<size_t>(1, wavelengths * 2)));
    }
    double loss(size_t w) const { return first + 2 * value * static_cast<double>(w); }
    double reflectance(size_t w) const { return loss(w) + value; }

    double location, first, value;
};

// The event table's headings and rule; returns the baseline of the column titles.
double drawEventHeader(Painter& p, const std::vector<int>& wl, const EventColumns& c, bool feet, double width,
                       double y) {
    using L = OtdrLayout;
    p.setFont(10, true);
    p.setColour(colors::kText);
    for (size_t w = 0; w < wl.size(); ++w) p.text(c.loss(w), y, std::to_string(wl[w]) + " nm");
    y += L::kHeadingLine;
    p.text(L::kNumberX, y, "#");
    p.text(L::kTypeX, y, "Type");
    p.text(c.location, y, feet ? "Location (ft)" : "Location (m)");
    p.setFont(9, true);
    for (size_t w = 0; w < wl.size(); ++w) {
        p.text(c.loss(w), y, "Loss dB");
        p.text(c.reflectance(w), y, "Refl. dB");
    }
    p.setColour(colors::kFrame);
    p.setLineWidth(1);
    p.setDash({});
    p.moveTo(L::kInset, y + L::kRuleDrop);
    p.lineTo(width - L::kInset, y + L::kRuleDrop);
    p.stroke();
    return y;
}

// The event table under the chart: one row per merged event up to the geometry's rows, then a count of the rest.
void drawEventTable(Painter& p, const OtdrView& v, const OtdrGeometry& g) {
    using L = OtdrLayout;
    const Tester::OtdrTest& t = *v.test;
    const double k = v.feet ? kFeetPerMetre : 1.0;
    const std::vector<int> wl = tableWavelengths(t);
    const EventColumns c(g.width, wl.size());
    double y = drawEventHeader(p, wl, c, v.feet, g.width, L::kTitleHeight + g.chartHeight + L::kTableGap);
    p.setFont(10);
    const size_t shown = std::min(g.rows, t.MergedEvents.size());
    for (size_t i = 0; i < shown; ++i) {
        y += L::kRowHeight;
        const auto& e = t.MergedEvents[i];
        if (i % 2 == 1) {
            p.setColour({0.95, 0.95, 0.97});
            p.rectangle(L::kInset, y - L::kStripeRise, g.width - 2 * L::kInset, L::kRowHeight);
            p.fill();
        }
        p.setColour(e.Status == Tester::kHostStatusFail ? colors::kFail : colors::kText);
        p.text(L::kNumberX, y, std::to_string(i + 1));
        p.text(L::kTypeX, y, otdrEventName(e.Type));
        p.text(c.location, y, numberOrDash(e.Location * k, "%.1f"));
        for (size_t w = 0; w < wl.size(); ++w) {
            for (const auto& ev : e.Events) {
                if (ev.Wavelength != wl[w]) continue;
                p.text(c.loss(w), y, numberOrDash(paramValue(ev.Loss)));
                const double refl = paramValue(ev.Reflectance);
                if (std::isfinite(refl)) p.text(c.reflectance(w), y, numberOrDash(refl, "%.1f"));
            }
        }
    }
    if (t.MergedEvents.size() > shown) {
        y += L::kRowHeight;
        p.setColour(colors::kNeutral);
        p.text(L::kNumberX, y, "... " + std::to_string(t.MergedEvents.size() - shown) + " more events");
    }
}

void drawOtdr(Painter& p, const OtdrView& v, const OtdrGeometry& g) {
    titleBar(p, g.width, v.title, v.test->Status, true, g.scale);
    drawOtdrChart(p, v, g);
    if (!v.test->MergedEvents.empty() && v.eventTable) drawEventTable(p, v, g);
}

// --- copper ---

void drawCopper(Painter& p, const CopperView& v, double width, double height, double k) {
    titleBar(p, width, v.title, v.status, v.verdict && !v.timeDomain, k);
    const double kDist = v.feet && v.timeDomain ? kFeetPerMetre : 1.0;

    Chart chart(p, 0, 26 * k, width, height - 26 * k, k);
    chart.setXAxis(v.xLabel, v.xLo * kDist, v.xHi * kDist);
    chart.setYAxis(v.yLabel, v.yLo, v.yHi);
    std::vector<Chart::LegendEntry> legend;
    if (k >= 0.8) {
        // Small multiples share one legend on their page.
        for (const auto& c : v.curves) legend.push_back({pairLabel(v.labels, c.pair), pairColour(c.pair)});
        if (!v.limits.empty()) {
            const bool general =
                std::any_of(v.limits.begin(), v.limits.end(), [](const CopperCurve& l) { return l.pair == 0; });
            legend.push_back({general ? "limit" : "pair limits", colors::kLimit, !general});
        }
    }
    if (v.worst) {
        // The worst margin is named under the plot, never over the curves.
        chart.setCaption("worst margin " + fmt("%.1f", v.worst->margin) + " dB at " +
                             fmt("%.1f", v.worst->frequencyMHz) + " MHz, " + pairLabel(v.labels, v.worst->pair),
                         v.worst->margin < 0 ? colors::kFail : colors::kText);
    }
    chart.reserveLegend(legend);
    chart.drawFrame();
    chart.legend(legend);

    for (const auto& c : v.curves) {
        if (kDist != 1.0) {
            std::vector<double> x(c.points.x);
            for (double& d : x) d *= kDist;
            chart.curve(x, c.points.y, pairColour(c.pair), 1.4);
        } else {
            chart.curve(c.points.x, c.points.y, pairColour(c.pair), 1.4);
        }
    }
    for (const auto& l : v.limits)
        chart.curve(l.points.x, l.points.y, colors::kLimit, l.pair == 0 ? 2.2 : 1.2, l.pair != 0);
    if (v.worst) chart.pointMarker(v.worst->frequencyMHz, v.worst->value, statusColour(v.status));
}

// --- end-face image ---

// Where things go on an end-face picture, in points: the square picture on the left, its key on the right.
struct ImageLayout {
    static constexpr double kTop = 30;       // the picture starts under the title bar
    static constexpr double kInset = 10;     // left of and under the picture
    static constexpr double kKeyRoom = 160;  // of the width, kept for the left inset and the key
    static constexpr double kKeyGap = 10;    // picture to key
    static constexpr double kKeyTop = 14;    // the key's first baseline below the picture's top
    static constexpr double kHeadingLine = 16;
    static constexpr double kLine = 15;
    static constexpr double kSwatch = 10;  // a zone's colour square, its top this far above the baseline
    static constexpr double kSwatchRise = 8;
    static constexpr double kSwatchText = 15;  // the zone's text, right of the square's left edge
    static constexpr double kParagraph = 6;    // extra space before the defect counts and the limit
    static constexpr double kZoneLine = 2;     // widths on the picture, in points whatever its scale
    static constexpr double kDefectLine = 2.5;
    static constexpr double kMinGlobRadius = 3;
    static constexpr double kMaxCoordinate = 1e5;  // stored points and sizes are cut to this many pixels
};

// Zones of an end face: a diameter in micrometres (when the limit has the zone) and a name.
using Zone = std::pair<const boost::optional<int>*, const char*>;
std::array<Zone, 4> zonesOf(const Tester::FiberImageTest& t) {
    return {{{&t.Core, "core"}, {&t.Cladding, "cladding"}, {&t.Adhesive, "adhesive"}, {&t.Contact, "contact"}}};
}

double imageCoordinate(double v) { return std::clamp(v, -ImageLayout::kMaxCoordinate, ImageLayout::kMaxCoordinate); }

// Zone circles around the found centre and the defects (globs as circles, scratches as lines), in image
// pixels; `scale` is the image's scale on the page, so lines keep their width.
void drawEndFaceMarks(Painter& p, const Tester::FiberImageTest& t, double scale) {
    using L = ImageLayout;
    const double ppm = std::isfinite(t.PixelsPerMicron) && t.PixelsPerMicron > 0 ? t.PixelsPerMicron : 1.0;
    size_t zi = 0;
    for (const Zone& z : zonesOf(t)) {
        if (*z.first && **z.first > 0) {
            const double r = std::min(L::kMaxCoordinate, **z.first * ppm / 2);
            p.setColour(colors::series(zi), 0.9);
            p.setLineWidth(L::kZoneLine / scale);
            p.circle(t.CenterX, t.CenterY, r);
            p.stroke();
        }
        ++zi;
    }
    for (const auto& d : t.Defects) {
        p.setColour(d.PassState == 0 ? colors::kPass : colors::kFail);
        p.setLineWidth(L::kDefectLine / scale);
        if (d.Type == 1 && !d.Points.empty()) {
            const double x = imageCoordinate(d.Points[0].first);
            const double y = imageCoordinate(d.Points[0].second);
            p.circle(x, y,
                     std::min(L::kMaxCoordinate, std::max(L::kMinGlobRadius / scale, static_cast<double>(d.Size))));
            p.stroke();
        } else if (d.Type == 2) {
            bool pen = false;
            for (const auto& pt : d.Points) {
                // (-1, -1) separates the segments of a scratch.
                if (pt.first == -1 && pt.second == -1) {
                    pen = false;
                    continue;
                }
                const double x = imageCoordinate(pt.first), y = imageCoordinate(pt.second);
                if (pen) {
                    p.lineTo(x, y);
                } else {
                    p.moveTo(x, y);
                    pen = true;
                }
            }
            p.stroke();
        }
    }
}

// The end face on a dark square of `side` at the picture's place: the stored PNG when it is one, scaled to fit,
// with its zones and defects over it.
void drawEndFace(Painter& p, const Tester::FiberImageTest& t, double side) {
    using L = ImageLayout;
    p.setColour({0.15, 0.15, 0.15});
    p.rectangle(L::kInset, L::kTop, side, side);
    p.fill();
    uint32_t pw = 0, ph = 0;
    const bool png = Draw::pngSize(t.ImageData, pw, ph) && pw > 0 && ph > 0 && pw <= Draw::kMaxDecodedSide &&
                     ph <= Draw::kMaxDecodedSide;
    const double iw = png ? pw : std::max(1, t.X);
    const double ih = png ? ph : std::max(1, t.Y);
    const double scale = side / std::max(iw, ih);
    p.save();
    p.clipRect(L::kInset, L::kTop, side, side);
    p.translate(L::kInset + (side - iw * scale) / 2, L::kTop + (side - ih * scale) / 2);
    p.scale(scale);
    if (png) p.image(t.ImageData, 0, 0, iw, ih);
    drawEndFaceMarks(p, t, scale);
    p.restore();
}

// The key beside the picture, from (x, y): zone sizes, defect counts, a dirty or blurry picture, the limit.
void drawEndFaceKey(Painter& p, const Tester::FiberImageTest& t, double x, double y) {
    using L = ImageLayout;
    p.setFont(10, true);
    p.setColour(colors::kText);
    p.text(x, y, "Zones (diameter)");
    y += L::kHeadingLine;
    p.setFont(10);
    size_t zi = 0;
    for (const Zone& z : zonesOf(t)) {
        if (*z.first) {
            p.setColour(colors::series(zi));
            p.rectangle(x, y - L::kSwatchRise, L::kSwatch, L::kSwatch);
            p.fill();
            p.setColour(colors::kText);
            p.text(x + L::kSwatchText, y, std::string(z.second) + " " + std::to_string(**z.first) + " \u00b5m");
            y += L::kLine;
        }
        ++zi;
    }
    size_t fails = 0;
    for (const auto& d : t.Defects) fails += d.PassState != 0;
    y += L::kParagraph;
    p.setColour(colors::kText);
    p.text(x, y, std::to_string(t.Defects.size()) + " defects");
    y += L::kLine;
    p.setColour(fails ? colors::kFail : colors::kPass);
    p.text(x, y, std::to_string(fails) + " failing");
    if (t.Warning != 0) {
        y += L::kLine;
        p.setColour(colors::kFail);
        p.text(x, y, t.Warning == 1 ? "picture dirty" : "picture blurry");
    }
    if (!t.LimitName.empty()) {
        y += L::kLine + L::kParagraph;
        p.setColour(colors::kText);
        p.text(x, y, cleanText(t.LimitName, 24));
    }
}

void drawImage(Painter& p, const Tester::FiberImageTest& t, const std::string& title, double width, double height) {
    using L = ImageLayout;
    titleBar(p, width, title, t.Status, true);
    const double side = std::min(width - L::kKeyRoom, height - L::kTop - L::kInset);
    drawEndFace(p, t, side);
    drawEndFaceKey(p, t, L::kInset + side + L::kKeyGap, L::kTop + L::kKeyTop);
}

// --- loss against budget ---

void drawLoss(Painter& p, const std::vector<LossBar>& bars, const std::string& title, double width, double height,
              double k) {
    titleBar(p, width, title, Tester::kHostStatusUnknown, false, k);
    double yHi = 0.5;
    for (const LossBar& b : bars) Chart::extend(yHi, yHi, {b.loss * 1.15, b.budget * 1.15});
    Chart chart(p, 0, 26 * k, width, height - 26 * k, k);
    chart.setYAxis("Loss (dB)", 0, yHi);
    chart.setXAxis("", 0, static_cast<double>(std::max<size_t>(1, bars.size())));
    std::vector<std::pair<double, std::string>> labels;
    for (size_t i = 0; i < bars.size(); ++i)
        labels.emplace_back(static_cast<double>(i) + 0.5,
                            std::to_string(bars[i].wavelength) + " nm E" + std::to_string(bars[i].end));
    chart.setCategories(labels);
    const std::vector<Chart::LegendEntry> legend = {
        {"loss, end 1", colors::series(0)}, {"loss, end 2", colors::series(1)}, {"budget", colors::kLimit}};
    chart.reserveLegend(legend);
    chart.drawFrame();
    for (size_t i = 0; i < bars.size(); ++i) {
        const double x = static_cast<double>(i) + 0.5;
        chart.bar(x, 0.5, bars[i].loss, bars[i].end == 2 ? colors::series(1) : colors::series(0));
        chart.barLimit(x, 0.5, bars[i].budget, colors::kLimit);
    }
    chart.legend(legend);
}

}  // namespace

Rgb pairColour(int pair) {
    if (pair >= 1 && pair <= 4) return colors::series(static_cast<size_t>(pair - 1));
    if (pair >= 6 && pair <= 17) return colors::series(static_cast<size_t>(pair - 6));
    return colors::series(static_cast<size_t>(std::max(0, pair)));
}

std::string pairName(const Tester::TwistedPairLabels& labels, int pair) {
    const std::string l = labels.LabelOf(pair);
    // A coax link's one pair has no pin label.
    if (l.empty() && pair == Tester::kCoaxPairId) return "coax";
    return cleanText(l, 40);
}

std::string pairLabel(const Tester::TwistedPairLabels& labels, int pair) {
    const std::string l = pairName(labels, pair);
    if (l.empty()) return "pair " + std::to_string(pair);
    return pair == Tester::kCoaxPairId ? l : "pair " + l;
}

bool worstMarginOf(const Tester::FrequencyTest& test, int end, WorstMargin& out) {
    bool found = false;
    for (const auto& m : test.Measurements) {
        if (!m.IsWorstMarginSpecified || (end != 0 && m.CopperEnd != end)) continue;
        const Tester::MeasParam* limit = m.Find(Tester::MeasKind::UpperLimit);
        const bool upper = limit != nullptr;
        if (limit == nullptr) limit = m.Find(Tester::MeasKind::LowerLimit);
        const Tester::MeasParam* freq = m.Find(Tester::MeasKind::Frequency);
        const double value = paramValue(m);
        if (limit == nullptr || !std::isfinite(limit->Value) || !std::isfinite(value)) continue;
        // Computed from the value and its limit, as the record's margins are.
        const double margin = upper ? limit->Value - value : value - limit->Value;
        if (!found || margin < out.margin) {
            out.margin = margin;
            out.value = value;
            out.frequencyMHz = freq != nullptr ? freq->Value : kNaN;
            out.pair = m.Pair;
            found = true;
        }
    }
    return found;
}

Picture smallOtdrPicture(const std::string& name, const OtdrView& view, double width, double height) {
    OtdrView v = view;
    v.eventTable = false;
    const double k = std::clamp(width / 560.0, 0.5, 1.0);
    OtdrGeometry g{width, height - OtdrLayout::kTitleHeight * k - OtdrLayout::kSmallBottomPad, 0, k};
    Picture p = otdrPicture(name, v, true);
    p.width = width;
    p.height = height;
    p.draw = [v, g](Painter& painter) { drawOtdr(painter, v, g); };
    return p;
}

Picture otdrPicture(const std::string& name, const OtdrView& view, bool compact) {
    OtdrGeometry g{compact ? 560.0 : 860.0, compact ? 250.0 : 380.0, compact ? kMaxEventRowsCompact : kMaxEventRows};
    const size_t events = view.eventTable ? view.test->MergedEvents.size() : 0;
    const size_t rows = std::min(g.rows, events) + 1 + (events > g.rows ? 1 : 0);
    Picture p;
    p.name = name;
    p.title = view.title;
    p.width = g.width;
    p.height = OtdrLayout::height(g.chartHeight, events == 0 ? 0 : rows);
    p.draw = [view, g](Painter& painter) { drawOtdr(painter, view, g); };
    p.table = [view] {
        PlotTable t;
        if (!view.plots) return t;
        const double k = view.feet ? kFeetPerMetre : 1.0;
        for (const auto& s : view.plots->Series) {
            t.headers.push_back(std::string(view.feet ? "Distance (ft)" : "Distance (m)") + " " +
                                std::to_string(s.Wavelength) + " nm");
            std::vector<double> x(s.X);
            for (double& d : x) d *= k;
            t.columns.push_back(std::move(x));
            t.headers.push_back("Level (dB) " + std::to_string(s.Wavelength) + " nm");
            t.columns.push_back(s.Y);
        }
        return t;
    };
    return p;
}

Picture copperPicture(const CopperView& view, bool compact) {
    Picture p;
    p.name = view.name;
    p.title = view.title;
    p.width = compact ? 560 : 800;
    p.height = compact ? 300 : 440;
    p.draw = [view, w = p.width, h = p.height](Painter& painter) { drawCopper(painter, view, w, h, 1.0); };
    p.table = [view] {
        PlotTable t;
        // The curves share their x values unless they were cut down: then each keeps its own.
        const auto sameX = [&view] {
            const std::vector<double>* first = nullptr;
            for (const auto* list : {&view.curves, &view.limits})
                for (const auto& c : *list) {
                    if (first == nullptr) first = &c.points.x;
                    if (c.points.x != *first) return false;
                }
            return true;
        }();
        const std::string xName = view.timeDomain ? (view.feet ? "Distance (ft)" : "Distance (m)") : "Frequency (MHz)";
        const double k = view.feet && view.timeDomain ? kFeetPerMetre : 1.0;
        const auto add = [&](const CopperCurve& c, const std::string& name) {
            if (!sameX || t.columns.empty()) {
                t.headers.push_back(sameX ? xName : xName + " " + name);
                std::vector<double> x(c.points.x);
                for (double& d : x) d *= k;
                t.columns.push_back(std::move(x));
            }
            t.headers.push_back(name + (view.timeDomain ? "" : " (dB)"));
            t.columns.push_back(c.points.y);
        };
        for (const auto& c : view.curves) add(c, view.title + " " + pairLabel(view.labels, c.pair));
        for (const auto& l : view.limits)
            add(l, l.pair == 0 ? std::string("Limit") : "Limit " + pairLabel(view.labels, l.pair));
        return t;
    };
    return p;
}

Picture smallCopperPicture(const CopperView& view, double width, double height) {
    Picture p = copperPicture(view, true);
    p.width = width;
    p.height = height;
    const double k = std::clamp(width / 270.0, 0.5, 1.0);
    p.draw = [view, width, height, k](Painter& painter) { drawCopper(painter, view, width, height, k); };
    return p;
}

Picture wiremapPicture(std::shared_ptr<Tester::TestRecordTarvel> record, const Tester::WireMapTest& test, bool feet,
                       bool compact) {
    const double scale = compact ? 1.3 : 2.0;
    Picture p;
    p.name = "wiremap";
    p.title = "Wiremap";
    p.width = 280 * scale + 20;
    p.height = 220 * scale + 40;
    const int status = test.Status;
    const std::string type = cleanText(test.WireMapTypeText, 40);
    p.draw = [record, status, type, feet, scale, w = p.width](Painter& painter) {
        titleBar(painter, w, "Wiremap" + (type.empty() ? std::string() : "  " + type), status, true);
        const CopperTest* t = record->GetCopperTest();
        if (t == nullptr) return;
        const WireMapData data = Tester::copper::displayData(*t);
        painter.save();
        painter.translate(10, 32);
        painter.scale(scale);
        Tester::TarvelWiremap map(0, 0, 280, 220, &data);
        map.SetMeters(!feet, feet ? "ft" : "m");
        map.Draw(painter);
        painter.restore();
    };
    return p;
}

Picture imagePicture(std::shared_ptr<const Tester::FiberImageTest> test, const std::string& title, bool compact) {
    Picture p;
    p.name = "image";
    p.title = title;
    p.width = compact ? 460 : 640;
    p.height = compact ? 330 : 500;
    p.draw = [test, title, w = p.width, h = p.height](Painter& painter) { drawImage(painter, *test, title, w, h); };
    return p;
}

Picture lossPicture(const std::vector<LossBar>& bars, const std::string& title, bool compact) {
    Picture p;
    p.name = "loss";
    p.title = title;
    p.width = compact ? 560 : 800;
    p.height = compact ? 260 : 400;
    p.draw = [bars, title, w = p.width, h = p.height](Painter& painter) { drawLoss(painter, bars, title, w, h, 1.0); };
    p.table = [bars] {
        PlotTable t;
        t.headers = {"Wavelength (nm)", "End", "Loss (dB)", "Budget (dB)"};
        t.columns.resize(4);
        for (const LossBar& b : bars) {
            t.columns[0].push_back(b.wavelength);
            t.columns[1].push_back(b.end);
            t.columns[2].push_back(b.loss);
            t.columns[3].push_back(b.budget);
        }
        return t;
    };
    return p;
}

}  // namespace Kestrix::Report
