#pragma once
// The painter on a cairo context: PNG and BMP canvases, PDF pages.
#include "tester/draw/Painter.h"

typedef struct _cairo cairo_t;

namespace Kestrix::Draw {

class CairoPainter : public Painter {
public:
    // The context is borrowed; its state is left as found when drawing is balanced (save/restore pairs).
    explicit CairoPainter(cairo_t* cr);

    void save() override;
    void restore() override;
    void translate(double x, double y) override;
    void scale(double factor) override;
    void rotateLeft() override;
    void clipRect(double x, double y, double w, double h) override;
    void setColour(Rgb c, double alpha = 1.0) override;
    void setLineWidth(double w) override;
    void setDash(const std::vector<double>& pattern) override;
    void setRoundJoins(bool round) override;
    void moveTo(double x, double y) override;
    void lineTo(double x, double y) override;
    void rectangle(double x, double y, double w, double h) override;
    void circle(double cx, double cy, double r) override;
    void newPath() override;
    void stroke(bool keep = false) override;
    void fill(bool keep = false) override;
    void setFont(double size, bool bold = false) override;
    double textWidth(const std::string& text) override;
    FontMetrics fontMetrics() override;
    void text(double x, double y, const std::string& text) override;
    void image(const std::vector<uint8_t>& png, double x, double y, double w, double h) override;

private:
    cairo_t* _cr;
};

// cairo and fontconfig keep their font caches for the life of the process; this hands them back at exit so
// leak checkers see a clean end. Every entry point that draws calls it.
void releaseFontCachesAtExit();

}  // namespace Kestrix::Draw
