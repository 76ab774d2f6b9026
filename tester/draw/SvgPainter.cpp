// The painter as SVG text.
#include "tester/draw/SvgPainter.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tester/draw/CairoPainter.h"
#include "tester/draw/Raster.h"

namespace Kestrix::Draw {

namespace {

// Device coordinates are kept in tenths: plenty for a screen, and short to write.
long tenths(double v) {
    if (!std::isfinite(v)) return 0;
    return std::lround(std::clamp(v, -1e8, 1e8) * 10.0);
}

// "12.5", "12", "-.5", ".5", "0".
std::string num(long t) {
    std::string s;
    if (t < 0) {
        s += '-';
        t = -t;
    }
    const long whole = t / 10, tenth = t % 10;
    if (whole != 0 || tenth == 0) s += std::to_string(whole);
    if (tenth != 0) {
        s += '.';
        s += static_cast<char>('0' + tenth);
    }
    return s;
}

std::string num(double v) { return num(tenths(v)); }

std::string hex(Rgb c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02x%02x%02x", static_cast<int>(std::lround(std::clamp(c.r, 0.0, 1.0) * 255)),
                  static_cast<int>(std::lround(std::clamp(c.g, 0.0, 1.0) * 255)),
                  static_cast<int>(std::lround(std::clamp(c.b, 0.0, 1.0) * 255)));
    return buf;
}

std::string escaped(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string base64(const std::vector<uint8_t>& b) {
    static const char* kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((b.size() + 2) / 3 * 4);
    for (size_t i = 0; i < b.size(); i += 3) {
        const uint32_t v = static_cast<uint32_t>(b[i]) << 16 | (i + 1 < b.size() ? b[i + 1] << 8 : 0) |
                           (i + 2 < b.size() ? b[i + 2] : 0);
        out += kDigits[(v >> 18) & 63];
        out += kDigits[(v >> 12) & 63];
        out += i + 1 < b.size() ? kDigits[(v >> 6) & 63] : '=';
        out += i + 2 < b.size() ? kDigits[v & 63] : '=';
    }
    return out;
}

// Appends a number to a path, with a space only where the number would run into the one before.
void appendNumber(std::string& path, long t) {
    const std::string s = num(t);
    const char last = path.empty() ? ' ' : path.back();
    if (((last >= '0' && last <= '9') || last == '.') && s[0] != '-') path += ' ';
    path += s;
}

}  // namespace

struct SvgPainter::Measure {
    SurfacePtr surface;
    cairo_t* cr = nullptr;
    std::unique_ptr<CairoPainter> painter;

    Measure() : surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1)) {
        cr = cairo_create(surface.get());
        painter = std::make_unique<CairoPainter>(cr);
    }
    ~Measure() { cairo_destroy(cr); }
};

SvgPainter::SvgPainter(double width, double height, std::string idPrefix)
    : _width(width), _height(height), _prefix(std::move(idPrefix)), _measure(std::make_unique<Measure>()) {
    _stack.emplace_back();
    _measure->painter->setFont(10);
}

SvgPainter::~SvgPainter() = default;

std::string SvgPainter::document() const {
    std::string out = "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " + num(_width) + " " + num(_height) +
                      "\" width=\"" + num(_width) + "\" height=\"" + num(_height) +
                      "\" font-family=\"Arial,'Liberation Sans',Helvetica,sans-serif\">";
    if (!_clips.empty()) {
        out += "<defs>";
        for (size_t i = 0; i < _clips.size(); ++i) {
            const Clip& c = _clips[i];
            out += "<clipPath id=\"" + _prefix + std::to_string(i) + "\"><rect x=\"" + num(c.x0) + "\" y=\"" +
                   num(c.y0) + "\" width=\"" + num(c.x1 - c.x0) + "\" height=\"" + num(c.y1 - c.y0) + "\"/></clipPath>";
        }
        out += "</defs>";
    }
    return out + _body + "</svg>";
}

void SvgPainter::device(double x, double y, double& dx, double& dy) const {
    const auto& m = _stack.back().m;
    dx = m[0] * x + m[2] * y + m[4];
    dy = m[1] * x + m[3] * y + m[5];
}

double SvgPainter::scaleFactor() const {
    const auto& m = _stack.back().m;
    return std::sqrt(std::fabs(m[0] * m[3] - m[1] * m[2]));
}

std::string SvgPainter::clipAttr() const {
    const int c = _stack.back().clip;
    return c < 0 ? "" : " clip-path=\"url(#" + _prefix + std::to_string(c) + ")\"";
}

std::string SvgPainter::colourAttr(const char* what) const {
    const State& s = _stack.back();
    std::string a = std::string(" ") + what + "=\"" + hex(s.colour) + "\"";
    if (s.alpha < 1.0) a += std::string(" ") + what + "-opacity=\"" + num(std::max(0.0, s.alpha)) + "\"";
    return a;
}

void SvgPainter::save() { _stack.push_back(_stack.back()); }

void SvgPainter::restore() {
    if (_stack.size() > 1) _stack.pop_back();
    _measure->painter->setFont(_stack.back().fontSize, _stack.back().bold);
}

void SvgPainter::translate(double x, double y) {
    auto& m = _stack.back().m;
    m[4] += m[0] * x + m[2] * y;
    m[5] += m[1] * x + m[3] * y;
}

void SvgPainter::scale(double factor) {
    auto& m = _stack.back().m;
    for (int i = 0; i < 4; ++i) m[static_cast<size_t>(i)] *= factor;
}

void SvgPainter::rotateLeft() {
    // [a c; b d] times [0 1; -1 0]
    auto& m = _stack.back().m;
    const double a = m[0], b = m[1], c = m[2], d = m[3];
    m[0] = -c;
    m[1] = -d;
    m[2] = a;
    m[3] = b;
}

void SvgPainter::clipRect(double x, double y, double w, double h) {
    double ax, ay, bx, by;
    device(x, y, ax, ay);
    device(x + w, y + h, bx, by);
    Clip c{std::min(ax, bx), std::min(ay, by), std::max(ax, bx), std::max(ay, by)};
    const int current = _stack.back().clip;
    if (current >= 0) {
        const Clip& o = _clips[static_cast<size_t>(current)];
        c = {std::max(c.x0, o.x0), std::max(c.y0, o.y0), std::min(c.x1, o.x1), std::min(c.y1, o.y1)};
        c.x1 = std::max(c.x1, c.x0);
        c.y1 = std::max(c.y1, c.y0);
    }
    _clips.push_back(c);
    _stack.back().clip = static_cast<int>(_clips.size() - 1);
}

void SvgPainter::setColour(Rgb c, double alpha) {
    _stack.back().colour = c;
    _stack.back().alpha = alpha;
}

void SvgPainter::setLineWidth(double w) { _stack.back().lineWidth = w; }
void SvgPainter::setDash(const std::vector<double>& pattern) { _stack.back().dash = pattern; }
void SvgPainter::setRoundJoins(bool round) { _stack.back().roundJoins = round; }

void SvgPainter::moveTo(double x, double y) {
    double dx, dy;
    device(x, y, dx, dy);
    _penX = tenths(dx);
    _penY = tenths(dy);
    _path += 'M';
    appendNumber(_path, _penX);
    appendNumber(_path, _penY);
    _pathOpen = true;
}

void SvgPainter::lineTo(double x, double y) {
    if (!_pathOpen) {
        moveTo(x, y);
        return;
    }
    double dx, dy;
    device(x, y, dx, dy);
    const long tx = tenths(dx), ty = tenths(dy);
    const long rx = tx - _penX, ry = ty - _penY;
    if (rx == 0 && ry == 0) return;
    const char cmd = rx == 0 ? 'v' : ry == 0 ? 'h' : 'l';
    // A command letter repeats itself for the numbers that follow it.
    size_t letter = _path.find_last_of("MmLlHhVvZzAa");
    if (letter == std::string::npos || _path[letter] != cmd) _path += cmd;
    if (cmd != 'v') appendNumber(_path, rx);
    if (cmd != 'h') appendNumber(_path, ry);
    _penX = tx;
    _penY = ty;
}

void SvgPainter::rectangle(double x, double y, double w, double h) {
    moveTo(x, y);
    const long startX = _penX, startY = _penY;
    lineTo(x + w, y);
    lineTo(x + w, y + h);
    lineTo(x, y + h);
    _path += 'z';
    _penX = startX;
    _penY = startY;
}

void SvgPainter::circle(double cx, double cy, double r) {
    double dx, dy;
    device(cx, cy, dx, dy);
    const long rr = tenths(r * scaleFactor());
    _path += 'M';
    appendNumber(_path, tenths(dx) - rr);
    appendNumber(_path, tenths(dy));
    const std::string radius = num(rr);
    _path += "a" + radius + " " + radius + " 0 1 0 " + num(2 * rr) + " 0a" + radius + " " + radius + " 0 1 0 -" +
             num(2 * rr) + " 0z";
    _penX = tenths(dx) - rr;
    _penY = tenths(dy);
    _pathOpen = true;
}

void SvgPainter::newPath() {
    _path.clear();
    _pathOpen = false;
}

void SvgPainter::stroke(bool keep) {
    if (!_path.empty()) {
        const State& s = _stack.back();
        const double k = scaleFactor();
        _body += "<path d=\"" + _path + "\" fill=\"none\"" + colourAttr("stroke");
        if (std::fabs(s.lineWidth * k - 1.0) > 0.04) _body += " stroke-width=\"" + num(s.lineWidth * k) + "\"";
        if (!s.dash.empty()) {
            _body += " stroke-dasharray=\"";
            for (size_t i = 0; i < s.dash.size(); ++i) _body += (i ? " " : "") + num(s.dash[i] * k);
            _body += "\"";
        }
        if (s.roundJoins) _body += " stroke-linejoin=\"round\"";
        _body += clipAttr() + "/>";
    }
    if (!keep) newPath();
}

void SvgPainter::fill(bool keep) {
    if (!_path.empty()) _body += "<path d=\"" + _path + "\"" + colourAttr("fill") + clipAttr() + "/>";
    if (!keep) newPath();
}

void SvgPainter::setFont(double size, bool bold) {
    _stack.back().fontSize = size;
    _stack.back().bold = bold;
    _measure->painter->setFont(size, bold);
}

double SvgPainter::textWidth(const std::string& text) { return _measure->painter->textWidth(text); }
FontMetrics SvgPainter::fontMetrics() { return _measure->painter->fontMetrics(); }

void SvgPainter::text(double x, double y, const std::string& text) {
    if (text.empty()) return;
    const State& s = _stack.back();
    const auto& m = s.m;
    const std::string weight = s.bold ? " font-weight=\"bold\"" : "";
    if (m[1] == 0 && m[2] == 0 && m[0] > 0 && std::fabs(m[0] - m[3]) < 1e-9) {
        double dx, dy;
        device(x, y, dx, dy);
        _body += "<text x=\"" + num(dx) + "\" y=\"" + num(dy) + "\" font-size=\"" + num(s.fontSize * m[0]) + "\"" +
                 weight + colourAttr("fill") + clipAttr() + ">" + escaped(text) + "</text>";
        return;
    }
    // A turned text: the clip goes on a group around it, so it stays in page coordinates.
    char matrix[160];
    std::snprintf(matrix, sizeof matrix, "matrix(%.4g %.4g %.4g %.4g %.4g %.4g)", m[0], m[1], m[2], m[3], m[4], m[5]);
    const std::string clip = clipAttr();
    if (!clip.empty()) _body += "<g" + clip + ">";
    _body += "<text transform=\"" + std::string(matrix) + "\" x=\"" + num(x) + "\" y=\"" + num(y) + "\" font-size=\"" +
             num(s.fontSize) + "\"" + weight + colourAttr("fill") + ">" + escaped(text) + "</text>";
    if (!clip.empty()) _body += "</g>";
}

void SvgPainter::image(const std::vector<uint8_t>& png, double x, double y, double w, double h) {
    // Only a picture that decodes is passed on to the browser.
    if (!decodePng(png) || !(w > 0) || !(h > 0)) return;
    double dx, dy;
    device(x, y, dx, dy);
    const double k = scaleFactor();
    _body += "<image x=\"" + num(dx) + "\" y=\"" + num(dy) + "\" width=\"" + num(w * k) + "\" height=\"" + num(h * k) +
             "\" preserveAspectRatio=\"none\"" + clipAttr() + " href=\"data:image/png;base64," + base64(png) + "\"/>";
}

}  // namespace Kestrix::Draw
