// OTDR, copper, wiremap and end-face pictures on the shared chart.
#include "tester/report/PlotDrawing.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "tester/record/CopperRecordUtil.h"
#include "tester/record/TarvelWiremap.h"
#include "tester/record/TestRecordTarvel.h"
#include "tester/report/Chart.h"
#include "tester/report/RecordPlots.h"

namespace Kestrix::Report {

namespace {

constexpr double kFeetPerMetre = 3.2808399;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// End-face pictures larger than this on either side are not decoded.
constexpr uint32_t kMaxImageSide = 4096;
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

void titleBar(cairo_t* cr, double width, const std::string& title, int status, bool withStatus) {
    setColour(cr, colors::kText);
    setFont(cr, 14, true);
    drawText(cr, 10, 19, cleanText(title));
    if (withStatus) drawBadge(cr, width - 10, 4, statusWord(status), statusColour(status));
}

// --- OTDR ---

struct OtdrGeometry {
    double width, chartHeight;
    size_t rows;
};

double otdrEndLocation(const Tester::OtdrTest& t) {
    for (const auto& e : t.MergedEvents)
        if (e.Type == 10) return e.Location;
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

void drawOtdr(cairo_t* cr, const OtdrView& v, const OtdrGeometry& g) {
    const Tester::OtdrTest& t = *v.test;
    const double k = v.feet ? kFeetPerMetre : 1.0;
    titleBar(cr, g.width, v.title, t.Status, true);

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
        yHi = 40;
    }
    const double pad = (yHi - yLo) * 0.06;
    Chart chart(cr, 0, 28, g.width, g.chartHeight);
    chart.setXAxis(v.feet ? "Distance (ft)" : "Distance (m)", xLo * k, (xHi > xLo ? xHi * 1.02 : 1000) * k);
    chart.setYAxis("Level (dB)", yLo - pad, yHi + pad * 4);
    std::vector<Chart::LegendEntry> legend;
    if (v.plots)
        for (size_t i = 0; i < v.plots->Series.size(); ++i)
            legend.push_back({std::to_string(v.plots->Series[i].Wavelength) + " nm", colors::series(i)});
    if ((t.LaunchLength && *t.LaunchLength > 0) || (t.TailLength && *t.TailLength > 0))
        legend.push_back({"launch / tail", colors::kShade});
    chart.reserveLegend(legend);
    chart.drawFrame();

    if (t.LaunchLength && *t.LaunchLength > 0) chart.shadeX(0, *t.LaunchLength * k, colors::kShade, 0.3);
    const double endLoc = otdrEndLocation(t);
    if (t.TailLength && *t.TailLength > 0 && std::isfinite(endLoc))
        chart.shadeX((endLoc - *t.TailLength) * k, endLoc * k, colors::kShade, 0.3);

    if (v.plots) {
        size_t i = 0;
        for (const auto& s : v.plots->Series) {
            const Rgb c = colors::series(i++);
            if (v.feet) {
                std::vector<double> x(s.X);
                for (double& d : x) d *= k;
                chart.curve(x, s.Y, c, 1.3);
            } else {
                chart.curve(s.X, s.Y, c, 1.3);
            }
        }
    }
    chart.legend(legend);
    if (t.SegmentLocSetByTester) {
        chart.verticalLine(t.SegmentLocSetByTester->Start * k, colors::kNeutral, true, "span start");
        chart.verticalLine(t.SegmentLocSetByTester->Stop * k, colors::kNeutral, true, "span stop");
    }
    // A marker too close to the one before goes a row lower (up to four rows, then back to the top).
    double lastX = -1e9;
    int row = 0;
    for (size_t i = 0; i < t.MergedEvents.size(); ++i) {
        const auto& e = t.MergedEvents[i];
        const double x = chart.px(e.Location * k);
        row = std::fabs(x - lastX) < 19 ? (row + 1) % 4 : 0;
        lastX = x;
        chart.eventMarker(e.Location * k, std::to_string(i + 1), e.Status == 0 ? colors::kFail : colors::kText, row);
    }

    if (t.MergedEvents.empty()) return;  // a trace without analysis
    // Event table: per wavelength a loss and a reflectance column, units in the header.
    const std::vector<int> wl = tableWavelengths(t);
    double y = 28 + g.chartHeight + 16;
    const double rowH = 15;
    const bool narrow = g.width < 700;
    const double typeX = 30, locX = narrow ? 110 : 130, firstX = narrow ? 180 : 230;
    const double colW =
        std::min(90.0, (g.width - firstX - 10) / static_cast<double>(std::max<size_t>(1, wl.size() * 2)));
    const auto lossX = [&](size_t w) { return firstX + 2 * colW * static_cast<double>(w); };
    setFont(cr, 10, true);
    setColour(cr, colors::kText);
    for (size_t w = 0; w < wl.size(); ++w) drawText(cr, lossX(w), y, std::to_string(wl[w]) + " nm");
    y += 13;
    drawText(cr, 10, y, "#");
    drawText(cr, typeX, y, "Type");
    drawText(cr, locX, y, v.feet ? "Location (ft)" : "Location (m)");
    setFont(cr, 9, true);
    for (size_t w = 0; w < wl.size(); ++w) {
        drawText(cr, lossX(w), y, "Loss dB");
        drawText(cr, lossX(w) + colW, y, "Refl. dB");
    }
    setColour(cr, colors::kFrame);
    cairo_set_line_width(cr, 1);
    cairo_move_to(cr, 8, y + 4.5);
    cairo_line_to(cr, g.width - 8, y + 4.5);
    cairo_stroke(cr);
    setFont(cr, 10);
    const size_t shown = std::min(g.rows, t.MergedEvents.size());
    for (size_t i = 0; i < shown; ++i) {
        y += rowH;
        const auto& e = t.MergedEvents[i];
        if (i % 2 == 1) {
            setColour(cr, {0.95, 0.95, 0.97});
            cairo_rectangle(cr, 8, y - 11, g.width - 16, rowH);
            cairo_fill(cr);
        }
        setColour(cr, e.Status == 0 ? colors::kFail : colors::kText);
        drawText(cr, 10, y, std::to_string(i + 1));
        drawText(cr, typeX, y, otdrEventName(e.Type));
        drawText(cr, locX, y, numberOrDash(e.Location * k, "%.1f"));
        for (size_t w = 0; w < wl.size(); ++w) {
            for (const auto& ev : e.Events) {
                if (ev.Wavelength != wl[w]) continue;
                drawText(cr, lossX(w), y, numberOrDash(paramValue(ev.Loss)));
                const double refl = paramValue(ev.Reflectance);
                if (std::isfinite(refl)) drawText(cr, lossX(w) + colW, y, numberOrDash(refl, "%.1f"));
            }
        }
    }
    if (t.MergedEvents.size() > shown) {
        y += rowH;
        setColour(cr, colors::kNeutral);
        drawText(cr, 10, y, "... " + std::to_string(t.MergedEvents.size() - shown) + " more events");
    }
}

// --- copper ---

bool isTimeDomain(const Tester::PlotDataTp& p) { return p.TestId == 16 || p.TestId == 17; }

Rgb pairColour(int pair) {
    return pair >= 1 && pair <= 4 ? colors::series(static_cast<size_t>(pair - 1))
                                  : colors::series(static_cast<size_t>(std::max(0, pair)) % 8);
}

std::string pairLabel(const Tester::PlotDataTp& p, int pair) {
    const std::string l = p.PairText.LabelOf(pair);
    return l.empty() ? "pair " + std::to_string(pair) : "pair " + cleanText(l, 40);
}

void drawCopper(cairo_t* cr, const CopperView& v, double width, double height) {
    const Tester::PlotDataTp& p = *v.plot;
    const bool td = isTimeDomain(p);
    const int status = v.test ? v.test->Status : 6;
    titleBar(cr, width, v.title, status, v.test != nullptr && !td);
    const double k = v.feet ? kFeetPerMetre : 1.0;

    double xLo = 0, xHi = 0, yLo = std::numeric_limits<double>::infinity(), yHi = -yLo;
    size_t points = 0;
    for (const auto& c : p.Curves) {
        if (td) {
            Chart::extend(xLo, xHi, c.X);
        } else {
            points = std::max(points, std::min(c.Y.size(), p.X.size()));
        }
        Chart::extend(yLo, yHi, c.Y);
    }
    if (!td && points > 0) xHi = p.X[points - 1];
    if (!td) {
        for (const auto& l : p.LimitCurves)
            for (size_t i = 0; i < std::min(points, l.Y.size()); ++i) Chart::extend(yLo, yHi, {l.Y[i]});
    }
    if (!(yHi > yLo)) {
        yLo = 0;
        yHi = 1;
    }
    const double pad = (yHi - yLo) * 0.08;
    Chart chart(cr, 0, 28, width, height - 28);
    if (td) {
        chart.setXAxis(v.feet ? "Distance (ft)" : "Distance (m)", xLo * k, (xHi > xLo ? xHi : 1) * k);
        chart.setYAxis("Amplitude", yLo - pad, yHi + pad);
    } else {
        chart.setXAxis("Frequency (MHz)", 0, xHi > 0 ? xHi : 1);
        chart.setYAxis("dB", std::min(0.0, yLo - pad), yHi + pad * 3);
    }
    std::vector<Chart::LegendEntry> legend;
    for (const auto& c : p.Curves) legend.push_back({pairLabel(p, c.Pair), pairColour(c.Pair)});
    if (!td && !p.LimitCurves.empty()) {
        const bool general =
            std::any_of(p.LimitCurves.begin(), p.LimitCurves.end(), [](const auto& l) { return l.Pair == 0; });
        legend.push_back({general ? "limit" : "pair limits", colors::kLimit, !general});
    }
    chart.reserveLegend(legend);
    chart.drawFrame();
    chart.legend(legend);

    for (const auto& c : p.Curves) {
        const Rgb colour = pairColour(c.Pair);
        if (td) {
            if (v.feet) {
                std::vector<double> x(c.X);
                for (double& d : x) d *= k;
                chart.curve(x, c.Y, colour, 1.4);
            } else {
                chart.curve(c.X, c.Y, colour, 1.4);
            }
        } else {
            chart.curve(
                std::vector<double>(p.X.begin(), p.X.begin() + static_cast<long>(std::min(p.X.size(), c.Y.size()))),
                c.Y, colour, 1.4);
        }
    }
    if (!td) {
        for (const auto& l : p.LimitCurves) {
            const size_t n = std::min(points, l.Y.size());
            std::vector<double> x(p.X.begin(), p.X.begin() + static_cast<long>(n));
            std::vector<double> y(l.Y.begin(), l.Y.begin() + static_cast<long>(n));
            chart.curve(x, y, colors::kLimit, l.Pair == 0 ? 2.2 : 1.2, l.Pair != 0);
        }
        WorstMargin wm;
        if (v.test && worstMarginOf(*v.test, p.End, wm))
            chart.pointMarker(wm.frequencyMHz, wm.value, statusColour(status),
                              "worst margin " + fmt("%.1f", wm.margin) + " dB at " + fmt("%.1f", wm.frequencyMHz) +
                                  " MHz, " + pairLabel(p, wm.pair));
    }
}

// --- end-face image ---

struct ByteSource {
    const std::vector<uint8_t>* bytes;
    size_t pos = 0;
};

cairo_status_t readBytes(void* closure, unsigned char* data, unsigned int length) {
    auto* src = static_cast<ByteSource*>(closure);
    if (length > src->bytes->size() - src->pos) return CAIRO_STATUS_READ_ERROR;
    std::copy_n(src->bytes->begin() + static_cast<long>(src->pos), length, data);
    src->pos += length;
    return CAIRO_STATUS_SUCCESS;
}

uint32_t be32(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint32_t>(b[at]) << 24 | static_cast<uint32_t>(b[at + 1]) << 16 |
           static_cast<uint32_t>(b[at + 2]) << 8 | b[at + 3];
}

// The picture as a cairo surface, or null when it is not a PNG of a sane size.
cairo_surface_t* decodePng(const std::vector<uint8_t>& bytes) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (bytes.size() < 33 || !std::equal(kSignature, kSignature + 8, bytes.begin())) return nullptr;
    const uint32_t w = be32(bytes, 16), h = be32(bytes, 20);
    if (w == 0 || h == 0 || w > kMaxImageSide || h > kMaxImageSide) return nullptr;
    ByteSource src{&bytes};
    cairo_surface_t* s = cairo_image_surface_create_from_png_stream(readBytes, &src);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return nullptr;
    }
    return s;
}

void drawImage(cairo_t* cr, const Tester::FiberImageTest& t, const std::string& title, double width, double height) {
    titleBar(cr, width, title, t.Status, true);
    const double top = 30, side = std::min(width - 160, height - top - 10);
    cairo_set_source_rgb(cr, 0.15, 0.15, 0.15);
    cairo_rectangle(cr, 10, top, side, side);
    cairo_fill(cr);
    cairo_surface_t* img = decodePng(t.ImageData);
    const double iw = img ? cairo_image_surface_get_width(img) : std::max(1, t.X);
    const double ih = img ? cairo_image_surface_get_height(img) : std::max(1, t.Y);
    const double scale = side / std::max(iw, ih);
    cairo_save(cr);
    cairo_rectangle(cr, 10, top, side, side);
    cairo_clip(cr);
    cairo_translate(cr, 10 + (side - iw * scale) / 2, top + (side - ih * scale) / 2);
    cairo_scale(cr, scale, scale);
    if (img) {
        cairo_set_source_surface(cr, img, 0, 0);
        cairo_paint(cr);
        cairo_surface_destroy(img);
    }
    // Zones: diameters in micrometres around the found centre.
    const std::pair<const boost::optional<int>*, const char*> zones[] = {
        {&t.Core, "core"}, {&t.Cladding, "cladding"}, {&t.Adhesive, "adhesive"}, {&t.Contact, "contact"}};
    const double ppm = std::isfinite(t.PixelsPerMicron) && t.PixelsPerMicron > 0 ? t.PixelsPerMicron : 1.0;
    size_t zi = 0;
    for (const auto& z : zones) {
        if (*z.first && **z.first > 0) {
            const double r = std::min(1e5, **z.first * ppm / 2);
            setColour(cr, colors::series(zi), 0.9);
            cairo_set_line_width(cr, 2 / scale);
            cairo_new_sub_path(cr);
            cairo_arc(cr, t.CenterX, t.CenterY, r, 0, 2 * M_PI);
            cairo_stroke(cr);
        }
        ++zi;
    }
    for (const auto& d : t.Defects) {
        setColour(cr, d.PassState == 0 ? colors::kPass : colors::kFail);
        cairo_set_line_width(cr, 2.5 / scale);
        if (d.Type == 1 && !d.Points.empty()) {
            cairo_new_sub_path(cr);
            cairo_arc(cr, d.Points[0].first, d.Points[0].second, std::max(3.0 / scale, static_cast<double>(d.Size)), 0,
                      2 * M_PI);
            cairo_stroke(cr);
        } else if (d.Type == 2) {
            bool pen = false;
            for (const auto& pt : d.Points) {
                if (pt.first == -1 && pt.second == -1) {
                    pen = false;
                    continue;
                }
                const double x = std::clamp<double>(pt.first, -1e5, 1e5), y = std::clamp<double>(pt.second, -1e5, 1e5);
                if (pen) {
                    cairo_line_to(cr, x, y);
                } else {
                    cairo_move_to(cr, x, y);
                    pen = true;
                }
            }
            cairo_stroke(cr);
        }
    }
    cairo_restore(cr);

    // Key beside the picture.
    double y = top + 14;
    const double x = 20 + side;
    setFont(cr, 10, true);
    setColour(cr, colors::kText);
    drawText(cr, x, y, "Zones (diameter)");
    y += 16;
    setFont(cr, 10);
    zi = 0;
    for (const auto& z : zones) {
        if (*z.first) {
            setColour(cr, colors::series(zi));
            cairo_rectangle(cr, x, y - 8, 10, 10);
            cairo_fill(cr);
            setColour(cr, colors::kText);
            drawText(cr, x + 15, y, std::string(z.second) + " " + std::to_string(**z.first) + " \u00b5m");
            y += 15;
        }
        ++zi;
    }
    size_t fails = 0;
    for (const auto& d : t.Defects) fails += d.PassState != 0;
    y += 6;
    setColour(cr, colors::kText);
    drawText(cr, x, y, std::to_string(t.Defects.size()) + " defects");
    y += 15;
    setColour(cr, fails ? colors::kFail : colors::kPass);
    drawText(cr, x, y, std::to_string(fails) + " failing");
    if (t.Warning != 0) {
        y += 15;
        setColour(cr, colors::kFail);
        drawText(cr, x, y, t.Warning == 1 ? "picture dirty" : "picture blurry");
    }
    if (!t.LimitName.empty()) {
        y += 21;
        setColour(cr, colors::kText);
        drawText(cr, x, y, cleanText(t.LimitName, 24));
    }
}

}  // namespace

bool worstMarginOf(const Tester::FrequencyTest& test, int end, WorstMargin& out) {
    bool found = false;
    for (const auto& m : test.Measurements) {
        if (!m.IsWorstMarginSpecified || (end != 0 && m.CopperEnd != end)) continue;
        const Tester::MeasParam* margin = m.Find(Tester::MeasKind::MarginLower);
        if (margin == nullptr) margin = m.Find(Tester::MeasKind::MarginUpper);
        const Tester::MeasParam* freq = m.Find(Tester::MeasKind::Frequency);
        if (margin == nullptr || !std::isfinite(margin->Value)) continue;
        if (!found || margin->Value < out.margin) {
            out.margin = margin->Value;
            out.value = paramValue(m);
            out.frequencyMHz = freq != nullptr ? freq->Value : kNaN;
            out.pair = m.Pair;
            found = true;
        }
    }
    return found;
}

Picture otdrPicture(const std::string& name, const OtdrView& view, bool compact) {
    OtdrGeometry g{compact ? 560.0 : 860.0, compact ? 250.0 : 380.0, compact ? kMaxEventRowsCompact : kMaxEventRows};
    const size_t events = view.test->MergedEvents.size();
    const size_t rows = std::min(g.rows, events) + 1 + (events > g.rows ? 1 : 0);
    Picture p;
    p.name = name;
    p.title = view.title;
    p.width = g.width;
    p.height = 28 + g.chartHeight + 8 + (events == 0 ? 0 : 21 + 15.0 * static_cast<double>(rows));
    p.draw = [view, g](cairo_t* cr) { drawOtdr(cr, view, g); };
    return p;
}

Picture copperPicture(const CopperView& view, bool compact) {
    Picture p;
    p.name = view.name;
    p.title = view.title;
    p.width = compact ? 560 : 800;
    p.height = compact ? 300 : 440;
    p.draw = [view, w = p.width, h = p.height](cairo_t* cr) { drawCopper(cr, view, w, h); };
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
    p.draw = [record, status, type, feet, scale, w = p.width](cairo_t* cr) {
        titleBar(cr, w, "Wiremap" + (type.empty() ? std::string() : "  " + type), status, true);
        const CopperTest* t = record->GetCopperTest();
        if (t == nullptr) return;
        const WireMapData data = Tester::copper::displayData(*t);
        cairo_save(cr);
        cairo_translate(cr, 10, 32);
        cairo_scale(cr, scale, scale);
        Tester::TarvelWiremap map(0, 0, 280, 220, &data);
        map.SetMeters(!feet, feet ? "ft" : "m");
        map.Draw(cr);
        cairo_restore(cr);
    };
    return p;
}

Picture imagePicture(std::shared_ptr<const Tester::FiberImageTest> test, const std::string& title, bool compact) {
    Picture p;
    p.name = "image";
    p.title = title;
    p.width = compact ? 460 : 640;
    p.height = compact ? 330 : 500;
    p.draw = [test, title, w = p.width, h = p.height](cairo_t* cr) { drawImage(cr, *test, title, w, h); };
    return p;
}

}  // namespace Kestrix::Report
