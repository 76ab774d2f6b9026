#include "tester/record/TarvelWiremap.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <memory>
#include <mutex>

namespace Kestrix::Tester {

namespace {

constexpr const char* kFont = "Arial";
constexpr int kFirstPin[5] = {0, 1, 3, 4, 7};
constexpr int kSecondPin[5] = {0, 2, 6, 5, 8};

void setColor(cairo_t* cr, uint32_t rgb) {
    cairo_set_source_rgb(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0);
}

void setFont(cairo_t* cr, double size) {
    cairo_select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
}

double textWidth(cairo_t* cr, const std::string& text) {
    cairo_text_extents_t e;
    cairo_text_extents(cr, text.c_str(), &e);
    return e.x_advance;
}

double lineHeight(cairo_t* cr) {
    cairo_font_extents_t e;
    cairo_font_extents(cr, &e);
    return e.height;
}

// Text whose top-left corner is at (x, top).
void drawText(cairo_t* cr, double x, double top, const std::string& text) {
    cairo_font_extents_t e;
    cairo_font_extents(cr, &e);
    cairo_move_to(cr, x, top + e.ascent);
    cairo_show_text(cr, text.c_str());
}

// A wire: the colour 4 pixels wide, and for a dashed wire white dashes 2 wide over it.
void strokeWire(cairo_t* cr, uint32_t color, bool dashed) {
    cairo_path_t* path = cairo_copy_path(cr);
    cairo_set_line_width(cr, 4);
    cairo_set_dash(cr, nullptr, 0, 0);
    setColor(cr, color);
    cairo_stroke(cr);
    if (dashed) {
        static const double kDash[2] = {2, 4};
        cairo_append_path(cr, path);
        cairo_set_line_width(cr, 2);
        cairo_set_dash(cr, kDash, 2, 0);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_stroke(cr);
        cairo_set_dash(cr, nullptr, 0, 0);
    }
    cairo_path_destroy(path);
}

void line(cairo_t* cr, double x0, double y0, double x1, double y1, uint32_t color, bool dashed) {
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    strokeWire(cr, color, dashed);
}

int pinNumber(Pin p) { return static_cast<int>(p); }

struct SurfaceCloser {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextCloser {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceCloser>;

// cairo and fontconfig keep their font caches for the life of the process; hand them back at exit so the
// process ends clean (leak checkers otherwise report the caches).
void releaseFontCachesAtExit() {
    static std::once_flag once;
    std::call_once(once, [] {
        std::atexit([] {
            cairo_debug_reset_static_data();
            FcFini();
        });
    });
}

SurfacePtr render(const WireMapData& data, bool meters, const std::string& unitText, int width, int height) {
    releaseFontCachesAtExit();
    if (width <= 0 || height <= 0 || width > 4096 || height > 4096) return nullptr;
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    {
        std::unique_ptr<cairo_t, ContextCloser> cr(cairo_create(surface.get()));
        TarvelWiremap map(0, 0, static_cast<float>(width), static_cast<float>(height), &data);
        map.SetMeters(meters, unitText);
        map.Draw(cr.get());
        if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    }
    cairo_surface_flush(surface.get());
    return surface;
}

void putLe(std::vector<uint8_t>& out, size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
    auto* out = static_cast<std::vector<uint8_t>*>(closure);
    out->insert(out->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

TarvelWiremap::TarvelWiremap(float x, float y, float width, float height, const WireMapData* displayData)
    : _data(displayData), _x(x), _y(y), _width(width), _height(height) {
    layout();
}

void TarvelWiremap::SetMeters(bool meters, const std::string& unitText) {
    _meters = meters;
    if (!unitText.empty() && unitText.size() < 5) _unit = unitText;
}

void TarvelWiremap::layout() {
    _pairBased = _data != nullptr && _data->isPairBasedMap();
    _singleEnded = _data != nullptr && _data->isSingleEnded();
    _drawShield = _data != nullptr && _data->drawShield();
    _m12 = _data != nullptr && _data->outletFamily() == WireMapData::OutletFamily::m12;
    const float labelWidth = _pairBased ? 40.0f : 30.0f;
    _leftX = labelWidth - 5.0f;
    _rightX = _width - _leftX;
    const float step = (_height - 90.0f) / 6.0f * 1.4f;
    _pinY[1] = 15;
    _pinY[2] = 30;
    _pinY[3] = 30 + step;
    _pinY[6] = _pinY[3] + 15;
    _pinY[4] = _pinY[6] + step;
    _pinY[5] = _pinY[4] + 15;
    _pinY[7] = _pinY[5] + step;
    _pinY[8] = _pinY[7] + 15;
    _pinY[9] = _pinY[8] + step;
}

float TarvelWiremap::pinRow(int pin) const {
    return pin >= 1 && pin <= 9 ? _y + _pinY[static_cast<size_t>(pin)] : 0.0f;
}

bool TarvelWiremap::pinDrawn(int pin) const {
    if (pin < 1 || pin > 9) return false;
    if (pin == 9) return true;
    return !_m12 || pin == 1 || pin == 2 || pin == 3 || pin == 6;
}

std::string TarvelWiremap::distanceLabel(double meters) const {
    // Stored distances are untrusted: nothing beyond any cable is printed digit by digit.
    if (!(std::fabs(meters) < 1e7)) return "? " + _unit;
    char buf[48];
    if (_meters)
        std::snprintf(buf, sizeof buf, "%.1f", meters);
    else
        std::snprintf(buf, sizeof buf, "%d", static_cast<int>(meters * 3.2808399 + 0.5));
    return std::string(buf) + " " + _unit;
}

void TarvelWiremap::Draw(cairo_t* cr) {
    layout();
    cairo_save(cr);
    cairo_translate(cr, _x, _y);
    cairo_rectangle(cr, 0, 0, _width, _height);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_fill(cr);
    if (_data != nullptr) {
        setFont(cr, 10);
        _fontSize = 10;
        while (_fontSize > 1) {
            setFont(cr, _fontSize);
            if (12 * lineHeight(cr) < _height - 5) break;
            _fontSize -= 1;
        }
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
        drawLabels(cr);
        drawStubs(cr);
        drawConnections(cr);
        drawSplitPairs(cr);
        drawOpens(cr);
        drawShorts(cr);
    }
    cairo_restore(cr);
}

void TarvelWiremap::drawLabels(cairo_t* cr) {
    setFont(cr, _fontSize);
    cairo_set_source_rgb(cr, 0, 0, 0);
    const double w = textWidth(cr, "W");
    const double lh = lineHeight(cr);
    const double rightLabelX = _width - w - (_pairBased ? w : 0);
    const int pairs = _m12 ? 2 : 4;
    for (int p = 1; p <= pairs; ++p) {
        const Pin a = static_cast<Pin>(kFirstPin[p]);
        const Pin b = static_cast<Pin>(kSecondPin[p]);
        const double top = _pinY[static_cast<size_t>(kFirstPin[p])] - 8 + (_pairBased ? lh / 2 : 0);
        for (int side = 0; side < (_singleEnded ? 1 : 2); ++side) {
            const bool mainEnd = side == 0;
            const double x = mainEnd ? w / 2 : rightLabelX;
            const std::string la = _data->pinLabel(a, mainEnd);
            const std::string lb = _data->pinLabel(b, mainEnd);
            if (_pairBased) {
                drawText(cr, x, top, la + "," + lb);
            } else {
                drawText(cr, x, top, la);
                drawText(cr, x, top + lh, lb);
            }
        }
    }
    if (_drawShield) {
        for (int side = 0; side < (_singleEnded ? 1 : 2); ++side) {
            const bool mainEnd = side == 0;
            drawText(cr, mainEnd ? w / 2 : rightLabelX, _pinY[9] - 8, _data->pinLabel(Pin::shield, mainEnd));
        }
    }
}

void TarvelWiremap::drawStubs(cairo_t* cr) {
    for (int pin = 1; pin <= 9; ++pin) {
        if (!pinDrawn(pin) || (pin == 9 && !_drawShield)) continue;
        const auto p = static_cast<Pin>(pin);
        const double row = _pinY[static_cast<size_t>(pin)];
        line(cr, _leftX, row, _leftX + kStubLength, row, _data->pinColor(p, CableEnd::main),
             _data->isDashed(p, CableEnd::main));
        if (!_singleEnded)
            line(cr, _rightX - kStubLength, row, _rightX, row, _data->pinColor(p, CableEnd::remote),
                 _data->isDashed(p, CableEnd::remote));
    }
}

bool TarvelWiremap::isSplitWire(int pin) const {
    for (const WiremapArtifactSplitPair& s : _data->splitPairList()) {
        const int p = static_cast<int>(s.pair1);
        const int q = static_cast<int>(s.pair2);
        if (p < 1 || p > 4 || q < 1 || q > 4) continue;
        const int a = p < q ? kSecondPin[p] : kFirstPin[p];
        const int b = p < q ? kFirstPin[q] : kSecondPin[q];
        if (pin == a || pin == b) return true;
    }
    return false;
}

void TarvelWiremap::drawConnections(cairo_t* cr) {
    for (const WiremapArtifactConnected& c : _data->connectionList()) {
        const int a = pinNumber(c.mainPin);
        const int b = pinNumber(c.remotePin);
        if (!pinDrawn(a) || !pinDrawn(b) || isSplitWire(a)) continue;
        const double ya = _pinY[static_cast<size_t>(a)];
        const double yb = _pinY[static_cast<size_t>(b)];
        const double x0 = ya == yb ? _leftX : _leftX + kStubLength;
        const double x1 = ya == yb ? _rightX : _rightX - kStubLength;
        const uint32_t color = _data->pinColor(c.mainPin, CableEnd::main);
        const bool dashed = _data->isDashed(c.mainPin, CableEnd::main);
        if (dashed) line(cr, x0, ya, x1, yb, 0xFFFFFF, false);
        line(cr, x0, ya, x1, yb, color, dashed);
    }
}

void TarvelWiremap::drawSplitPairs(cairo_t* cr) {
    const double x0 = _leftX + kStubLength;
    const double x1 = _rightX - kStubLength;
    const double third = (x1 - x0) / 3;
    for (const WiremapArtifactSplitPair& s : _data->splitPairList()) {
        const int p = static_cast<int>(s.pair1);
        const int q = static_cast<int>(s.pair2);
        if (p < 1 || p > 4 || q < 1 || q > 4 || p == q) continue;
        const int a = p < q ? kSecondPin[p] : kFirstPin[p];
        const int b = p < q ? kFirstPin[q] : kSecondPin[q];
        if (!pinDrawn(a) || !pinDrawn(b)) continue;
        const double ya = _pinY[static_cast<size_t>(a)];
        const double yb = _pinY[static_cast<size_t>(b)];
        auto wire = [&](int pin, double from, double via) {
            const auto pp = static_cast<Pin>(pin);
            cairo_move_to(cr, x0, from);
            cairo_line_to(cr, x0 + third, via);
            cairo_line_to(cr, x0 + 2 * third, via);
            cairo_line_to(cr, x1, from);
            strokeWire(cr, _data->pinColor(pp, CableEnd::main), _data->isDashed(pp, CableEnd::main));
        };
        wire(a, ya, yb + 2);
        wire(b, yb, ya - 2);
    }
}

void TarvelWiremap::drawOpens(cairo_t* cr) {
    setFont(cr, 8);
    cairo_set_source_rgb(cr, 0, 0, 0);
    for (const WiremapArtifactOpen& o : _data->openList()) {
        const int pin = pinNumber(o.pin);
        if (!pinDrawn(pin) || o.cableEnd == CableEnd::notset || o.lengthToOpen.isNaN()) continue;
        const double meters = o.lengthToOpen.toDouble();
        if (meters < 0) continue;
        const std::string label = distanceLabel(meters);
        const double top = _pinY[static_cast<size_t>(pin)] - 10;
        if (o.cableEnd == CableEnd::main) {
            drawText(cr, _leftX + 35, top, label);
        } else if (o.cableEnd == CableEnd::remote) {
            drawText(cr, _rightX - 35 - textWidth(cr, label), top, label);
        }
    }
}

void TarvelWiremap::drawShorts(cairo_t* cr) {
    setFont(cr, 8);
    for (const WireMapData::ShortData& s : _data->shortList()) {
        const int a = pinNumber(s.pin1);
        const int b = pinNumber(s.pin2);
        if (!pinDrawn(a) || !pinDrawn(b)) continue;
        double x;
        if (s.end == CableEnd::main) {
            x = _leftX + s.group * 10.0;
        } else if (s.end == CableEnd::remote) {
            if (_singleEnded) continue;
            x = _rightX - s.group * 10.0;
        } else {
            continue;
        }
        const double ya = _pinY[static_cast<size_t>(a)];
        const double yb = _pinY[static_cast<size_t>(b)];
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_rectangle(cr, x - 4, ya - 4, 8, 8);
        cairo_rectangle(cr, x - 4, yb - 4, 8, 8);
        cairo_fill(cr);
        cairo_set_line_width(cr, 2);
        cairo_set_dash(cr, nullptr, 0, 0);
        cairo_move_to(cr, x, ya);
        cairo_line_to(cr, x, yb);
        cairo_stroke(cr);
        if (s.length.isNaN() || s.length.toDouble() < 0) continue;
        const std::string label = distanceLabel(s.length.toDouble());
        cairo_font_extents_t fe;
        cairo_font_extents(cr, &fe);
        // Bottom of the text at row a - 4.
        cairo_move_to(cr, x - textWidth(cr, label) / 2, ya - 4 - fe.descent);
        cairo_show_text(cr, label.c_str());
    }
}

std::vector<uint8_t> TarvelWiremap::renderBmp(const WireMapData& data, bool meters, const std::string& unitText,
                                              int width, int height) {
    SurfacePtr surface = render(data, meters, unitText, width, height);
    if (!surface) return {};
    const auto w = static_cast<size_t>(width);
    const auto h = static_cast<size_t>(height);
    const size_t rowBytes = (w * 3 + 3) & ~static_cast<size_t>(3);
    const size_t pixelBytes = rowBytes * h;
    std::vector<uint8_t> out(54 + pixelBytes, 0);
    out[0] = 'B';
    out[1] = 'M';
    putLe(out, 2, static_cast<uint32_t>(out.size()), 4);
    putLe(out, 10, 54, 4);
    putLe(out, 14, 40, 4);
    putLe(out, 18, static_cast<uint32_t>(width), 4);
    putLe(out, 22, static_cast<uint32_t>(height), 4);  // bottom-up rows
    putLe(out, 26, 1, 2);
    putLe(out, 28, 24, 2);
    putLe(out, 34, static_cast<uint32_t>(pixelBytes), 4);
    putLe(out, 38, 3780, 4);  // 96 dpi
    putLe(out, 42, 3780, 4);
    const unsigned char* pixels = cairo_image_surface_get_data(surface.get());
    const auto stride = static_cast<size_t>(cairo_image_surface_get_stride(surface.get()));
    for (size_t row = 0; row < h; ++row) {
        const unsigned char* src = pixels + row * stride;
        uint8_t* dst = out.data() + 54 + (h - 1 - row) * rowBytes;
        for (size_t col = 0; col < w; ++col) {
            uint32_t px;
            std::memcpy(&px, src + col * 4, 4);
            dst[col * 3] = static_cast<uint8_t>(px);
            dst[col * 3 + 1] = static_cast<uint8_t>(px >> 8);
            dst[col * 3 + 2] = static_cast<uint8_t>(px >> 16);
        }
    }
    return out;
}

std::vector<uint8_t> TarvelWiremap::renderPng(const WireMapData& data, bool meters, const std::string& unitText,
                                              int width, int height) {
    SurfacePtr surface = render(data, meters, unitText, width, height);
    if (!surface) return {};
    std::vector<uint8_t> out;
    if (cairo_surface_write_to_png_stream(surface.get(), &appendBytes, &out) != CAIRO_STATUS_SUCCESS) return {};
    return out;
}

}  // namespace Kestrix::Tester
