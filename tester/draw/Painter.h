#pragma once
// What every picture is drawn on: a small vector-drawing interface (paths, fills, strokes, text, embedded
// PNG pictures) with two backends, cairo (PNG, PDF, BMP) and a compact SVG writer. Pictures, the wiremap
// and the report draw only through it, so one drawing serves every output.
#include <cstdint>
#include <string>
#include <vector>

namespace Kestrix::Draw {

struct Rgb {
    double r = 0, g = 0, b = 0;
};

// From 0xRRGGBB.
Rgb rgbOf(uint32_t rgb);

struct FontMetrics {
    double ascent = 0;   // baseline to the top of the tallest glyph
    double descent = 0;  // baseline to the bottom, positive
    double height = 0;   // distance between baselines
};

class Painter {
public:
    virtual ~Painter() = default;

    virtual void save() = 0;
    virtual void restore() = 0;
    virtual void translate(double x, double y) = 0;
    // Uniform scales only: text keeps its shape.
    virtual void scale(double factor) = 0;
    // Quarter turns only (a rotated axis label).
    virtual void rotateLeft() = 0;
    // Everything after is cut to the rectangle (intersected with any earlier cut) until restore.
    virtual void clipRect(double x, double y, double w, double h) = 0;

    virtual void setColour(Rgb c, double alpha = 1.0) = 0;
    virtual void setLineWidth(double w) = 0;
    // Dash lengths, on and off in turn; empty draws solid.
    virtual void setDash(const std::vector<double>& pattern) = 0;
    virtual void setRoundJoins(bool round) = 0;

    virtual void moveTo(double x, double y) = 0;
    virtual void lineTo(double x, double y) = 0;
    virtual void rectangle(double x, double y, double w, double h) = 0;
    // A whole circle as its own sub-path.
    virtual void circle(double cx, double cy, double r) = 0;
    virtual void newPath() = 0;
    // With `keep` the path stays for another stroke or fill.
    virtual void stroke(bool keep = false) = 0;
    virtual void fill(bool keep = false) = 0;

    // Font "Arial" (metric-compatible Liberation Sans where Arial is missing).
    virtual void setFont(double size, bool bold = false) = 0;
    virtual double textWidth(const std::string& text) = 0;
    virtual FontMetrics fontMetrics() = 0;
    // Left edge at x, baseline at y; the text must have gone through cleanText.
    virtual void text(double x, double y, const std::string& text) = 0;

    // A PNG picture scaled into the rectangle; nothing when the bytes are not a PNG of a sane size.
    virtual void image(const std::vector<uint8_t>& png, double x, double y, double w, double h) = 0;
};

// Draws `text` with its left edge at x and baseline at y; returns its width.
double drawText(Painter& p, double x, double y, const std::string& text);

}  // namespace Kestrix::Draw
