#include "tester/record/TarvelWiremap.h"

#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "tester/draw/Raster.h"
#include "tester/draw/Text.h"

namespace Kestrix::Tester {

namespace {

using Kestrix::Draw::Painter;

constexpr int kFirstPin[5] = {0, 1, 3, 4, 7};
constexpr int kSecondPin[5] = {0, 2, 6, 5, 8};

void setColor(Painter& p, uint32_t rgb) { p.setColour(Kestrix::Draw::rgbOf(rgb)); }

// Text whose top-left corner is at (x, top); labels come from the result, so they are cleaned first.
void textTopLeft(Painter& p, double x, double top, const std::string& text) {
    p.text(x, top + p.fontMetrics().ascent, Kestrix::Draw::cleanText(text, 40));
}

// A wire along the current path: the colour 4 pixels wide, and for a dashed wire white dashes 2 wide over it.
void strokeWire(Painter& p, uint32_t color, bool dashed) {
    p.setLineWidth(4);
    p.setDash({});
    setColor(p, color);
    p.stroke(dashed);
    if (dashed) {
        p.setLineWidth(2);
        p.setDash({2, 4});
        p.setColour({1, 1, 1});
        p.stroke();
        p.setDash({});
    }
}

void line(Painter& p, double x0, double y0, double x1, double y1, uint32_t color, bool dashed) {
    p.moveTo(x0, y0);
    p.lineTo(x1, y1);
    strokeWire(p, color, dashed);
}

int pinNumber(Pin p) { return static_cast<int>(p); }

Kestrix::Draw::SurfacePtr render(const WireMapData& data, bool meters, const std::string& unitText, int width,
                                 int height) {
    if (width <= 0 || height <= 0 || width > 4096 || height > 4096) return nullptr;
    return Kestrix::Draw::rasterize(width, height, [&](Painter& p) {
        TarvelWiremap map(0, 0, static_cast<float>(width), static_cast<float>(height), &data);
        map.SetMeters(meters, unitText);
        map.Draw(p);
    });
}

void putLe(std::vector<uint8_t>& out, size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
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

void TarvelWiremap::Draw(Painter& p) {
    layout();
    p.save();
    p.translate(_x, _y);
    p.rectangle(0, 0, _width, _height);
    p.setColour({1, 1, 1});
    p.fill();
    if (_data != nullptr) {
        _fontSize = 10;
        while (_fontSize > 1) {
            p.setFont(_fontSize);
            if (12 * p.fontMetrics().height < _height - 5) break;
            _fontSize -= 1;
        }
        drawLabels(p);
        drawStubs(p);
        drawConnections(p);
        drawSplitPairs(p);
        drawOpens(p);
        drawShorts(p);
    }
    p.restore();
}

void TarvelWiremap::drawLabels(Painter& p) {
    p.setFont(_fontSize);
    p.setColour({0, 0, 0});
    const double w = p.textWidth("W");
    const double lh = p.fontMetrics().height;
    const double rightLabelX = _width - w - (_pairBased ? w : 0);
    const int pairs = _m12 ? 2 : 4;
    for (int pair = 1; pair <= pairs; ++pair) {
        const Pin a = static_cast<Pin>(kFirstPin[pair]);
        const Pin b = static_cast<Pin>(kSecondPin[pair]);
        const double top = _pinY[static_cast<size_t>(kFirstPin[pair])] - 8 + (_pairBased ? lh / 2 : 0);
        for (int side = 0; side < (_singleEnded ? 1 : 2); ++side) {
            const bool mainEnd = side == 0;
            const double x = mainEnd ? w / 2 : rightLabelX;
            const std::string la = _data->pinLabel(a, mainEnd);
            const std::string lb = _data->pinLabel(b, mainEnd);
            if (_pairBased) {
                textTopLeft(p, x, top, la + "," + lb);
            } else {
                textTopLeft(p, x, top, la);
                textTopLeft(p, x, top + lh, lb);
            }
        }
    }
    if (_drawShield) {
        for (int side = 0; side < (_singleEnded ? 1 : 2); ++side) {
            const bool mainEnd = side == 0;
            textTopLeft(p, mainEnd ? w / 2 : rightLabelX, _pinY[9] - 8, _data->pinLabel(Pin::shield, mainEnd));
        }
    }
}

void TarvelWiremap::drawStubs(Painter& p) {
    for (int pin = 1; pin <= 9; ++pin) {
        if (!pinDrawn(pin) || (pin == 9 && !_drawShield)) continue;
        const auto id = static_cast<Pin>(pin);
        const double row = _pinY[static_cast<size_t>(pin)];
        line(p, _leftX, row, _leftX + kStubLength, row, _data->pinColor(id, CableEnd::main),
             _data->isDashed(id, CableEnd::main));
        if (!_singleEnded)
            line(p, _rightX - kStubLength, row, _rightX, row, _data->pinColor(id, CableEnd::remote),
                 _data->isDashed(id, CableEnd::remote));
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

void TarvelWiremap::drawConnections(Painter& p) {
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
        if (dashed) line(p, x0, ya, x1, yb, 0xFFFFFF, false);
        line(p, x0, ya, x1, yb, color, dashed);
    }
}

void TarvelWiremap::drawSplitPairs(Painter& painter) {
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
            painter.moveTo(x0, from);
            painter.lineTo(x0 + third, via);
            painter.lineTo(x0 + 2 * third, via);
            painter.lineTo(x1, from);
            strokeWire(painter, _data->pinColor(pp, CableEnd::main), _data->isDashed(pp, CableEnd::main));
        };
        wire(a, ya, yb + 2);
        wire(b, yb, ya - 2);
    }
}

void TarvelWiremap::drawOpens(Painter& p) {
    p.setFont(8);
    p.setColour({0, 0, 0});
    for (const WiremapArtifactOpen& o : _data->openList()) {
        const int pin = pinNumber(o.pin);
        if (!pinDrawn(pin) || o.cableEnd == CableEnd::notset || o.lengthToOpen.isNaN()) continue;
        const double meters = o.lengthToOpen.toDouble();
        if (meters < 0) continue;
        const std::string label = distanceLabel(meters);
        const double top = _pinY[static_cast<size_t>(pin)] - 10;
        if (o.cableEnd == CableEnd::main) {
            textTopLeft(p, _leftX + 35, top, label);
        } else if (o.cableEnd == CableEnd::remote) {
            textTopLeft(p, _rightX - 35 - p.textWidth(label), top, label);
        }
    }
}

void TarvelWiremap::drawShorts(Painter& p) {
    p.setFont(8);
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
        p.setColour({0, 0, 0});
        p.rectangle(x - 4, ya - 4, 8, 8);
        p.rectangle(x - 4, yb - 4, 8, 8);
        p.fill();
        p.setLineWidth(2);
        p.setDash({});
        p.moveTo(x, ya);
        p.lineTo(x, yb);
        p.stroke();
        if (s.length.isNaN() || s.length.toDouble() < 0) continue;
        const std::string label = distanceLabel(s.length.toDouble());
        // Bottom of the text at row a - 4.
        p.text(x - p.textWidth(label) / 2, ya - 4 - p.fontMetrics().descent, label);
    }
}

std::vector<uint8_t> TarvelWiremap::renderBmp(const WireMapData& data, bool meters, const std::string& unitText,
                                              int width, int height) {
    const Kestrix::Draw::SurfacePtr surface = render(data, meters, unitText, width, height);
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
    const Kestrix::Draw::SurfacePtr surface = render(data, meters, unitText, width, height);
    return surface ? Kestrix::Draw::encodePng(surface.get()) : std::vector<uint8_t>();
}

}  // namespace Kestrix::Tester
