// The painter on cairo.
#include "tester/draw/CairoPainter.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cmath>
#include <cstdlib>
#include <mutex>

#include "tester/draw/Raster.h"

namespace Kestrix::Draw {

Rgb rgbOf(uint32_t rgb) { return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0}; }

double drawText(Painter& p, double x, double y, const std::string& text) {
    p.text(x, y, text);
    return p.textWidth(text);
}

void releaseFontCachesAtExit() {
    static std::once_flag once;
    std::call_once(once, [] {
        std::atexit([] {
            cairo_debug_reset_static_data();
            FcFini();
        });
    });
}

CairoPainter::CairoPainter(cairo_t* cr) : _cr(cr) { releaseFontCachesAtExit(); }

void CairoPainter::save() { cairo_save(_cr); }
void CairoPainter::restore() { cairo_restore(_cr); }
void CairoPainter::translate(double x, double y) { cairo_translate(_cr, x, y); }
void CairoPainter::scale(double factor) { cairo_scale(_cr, factor, factor); }
void CairoPainter::rotateLeft() { cairo_rotate(_cr, -M_PI / 2); }

void CairoPainter::clipRect(double x, double y, double w, double h) {
    cairo_new_path(_cr);
    cairo_rectangle(_cr, x, y, w, h);
    cairo_clip(_cr);
}

void CairoPainter::setColour(Rgb c, double alpha) {
    if (alpha >= 1.0) {
        cairo_set_source_rgb(_cr, c.r, c.g, c.b);
    } else {
        cairo_set_source_rgba(_cr, c.r, c.g, c.b, alpha);
    }
}

void CairoPainter::setLineWidth(double w) { cairo_set_line_width(_cr, w); }

void CairoPainter::setDash(const std::vector<double>& pattern) {
    cairo_set_dash(_cr, pattern.empty() ? nullptr : pattern.data(), static_cast<int>(pattern.size()), 0);
}

void CairoPainter::setRoundJoins(bool round) {
    cairo_set_line_join(_cr, round ? CAIRO_LINE_JOIN_ROUND : CAIRO_LINE_JOIN_MITER);
}

void CairoPainter::moveTo(double x, double y) { cairo_move_to(_cr, x, y); }
void CairoPainter::lineTo(double x, double y) { cairo_line_to(_cr, x, y); }
void CairoPainter::rectangle(double x, double y, double w, double h) { cairo_rectangle(_cr, x, y, w, h); }

void CairoPainter::circle(double cx, double cy, double r) {
    cairo_new_sub_path(_cr);
    cairo_arc(_cr, cx, cy, r, 0, 2 * M_PI);
    cairo_close_path(_cr);
}

void CairoPainter::newPath() { cairo_new_path(_cr); }

void CairoPainter::stroke(bool keep) {
    if (keep) {
        cairo_stroke_preserve(_cr);
    } else {
        cairo_stroke(_cr);
    }
}

void CairoPainter::fill(bool keep) {
    if (keep) {
        cairo_fill_preserve(_cr);
    } else {
        cairo_fill(_cr);
    }
}

void CairoPainter::setFont(double size, bool bold) {
    cairo_select_font_face(_cr, "Arial", CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(_cr, size);
}

double CairoPainter::textWidth(const std::string& text) {
    cairo_text_extents_t e;
    cairo_text_extents(_cr, text.c_str(), &e);
    return e.x_advance;
}

FontMetrics CairoPainter::fontMetrics() {
    cairo_font_extents_t e;
    cairo_font_extents(_cr, &e);
    return {e.ascent, e.descent, e.height};
}

void CairoPainter::text(double x, double y, const std::string& text) {
    cairo_move_to(_cr, x, y);
    cairo_show_text(_cr, text.c_str());
    cairo_new_path(_cr);
}

void CairoPainter::image(const std::vector<uint8_t>& png, double x, double y, double w, double h) {
    SurfacePtr img = decodePng(png);
    if (!img || !(w > 0) || !(h > 0)) return;
    const int iw = cairo_image_surface_get_width(img.get()), ih = cairo_image_surface_get_height(img.get());
    cairo_save(_cr);
    cairo_rectangle(_cr, x, y, w, h);
    cairo_clip(_cr);
    cairo_translate(_cr, x, y);
    cairo_scale(_cr, w / iw, h / ih);
    cairo_set_source_surface(_cr, img.get(), 0, 0);
    cairo_paint(_cr);
    cairo_restore(_cr);
}

}  // namespace Kestrix::Draw
