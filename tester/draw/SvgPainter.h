#pragma once
// The painter as compact SVG for web pages: text stays text (one <text> per call, in the page's Arial
// family), paths carry one decimal, clips are shared rectangles. Text is measured with the same font as
// the cairo painter, so a picture lays out alike in both.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "tester/draw/Painter.h"

namespace Kestrix::Draw {

class CairoPainter;

class SvgPainter : public Painter {
public:
    // `idPrefix` keeps the clip ids of several pictures on one page apart.
    SvgPainter(double width, double height, std::string idPrefix);
    ~SvgPainter() override;

    // The whole <svg> element (no XML declaration: it goes inside HTML).
    std::string document() const;

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
    struct State {
        std::array<double, 6> m{1, 0, 0, 1, 0, 0};  // x' = a x + c y + e, y' = b x + d y + f
        Rgb colour;
        double alpha = 1.0;
        double lineWidth = 2.0;
        std::vector<double> dash;
        bool roundJoins = false;
        double fontSize = 10;
        bool bold = false;
        int clip = -1;  // index into _clips
    };
    struct Clip {
        double x0, y0, x1, y1;  // device space
    };

    void device(double x, double y, double& dx, double& dy) const;
    double scaleFactor() const;
    std::string clipAttr() const;
    std::string colourAttr(const char* what) const;

    double _width, _height;
    std::string _prefix;
    std::vector<State> _stack;
    std::vector<Clip> _clips;
    std::string _body;
    std::string _path;
    bool _pathOpen = false;
    long _penX = 0, _penY = 0;  // last point written, in tenths of a device unit
    // Measures text with cairo on a scratch canvas.
    struct Measure;
    std::unique_ptr<Measure> _measure;
};

}  // namespace Kestrix::Draw
