#pragma once
// Draws a wiremap (its display data) on a painter: pin labels, wire stubs, connections, split pairs, opens
// and shorts with distance labels; and encodes the picture as BMP or PNG.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "copper/WireMapData.h"
#include "tester/draw/Painter.h"

namespace Kestrix::Tester {

class TarvelWiremap {
public:
    static constexpr int kStubLength = 30;

    // The display data is borrowed and must outlive the drawing.
    TarvelWiremap(float x, float y, float width, float height, const WireMapData* displayData);

    // Distances in metres or feet; the unit text changes only when non-empty and shorter than 5 characters.
    void SetMeters(bool meters, const std::string& unitText);
    const std::string& unitLabel() const { return _unit; }

    void Draw(Kestrix::Draw::Painter& p);

    // Row (y) of pin 1 to 9 after Draw, or of the layout for the data's flags; 0 for other pins.
    float pinRow(int pin) const;
    float leftX() const { return _leftX; }
    float rightX() const { return _rightX; }
    // The text of a distance label: "12.5 m", or "41 ft" in feet.
    std::string distanceLabel(double meters) const;

    // The picture on a width x height canvas of 24-bit colour: a BMP file, or a PNG file. Empty on failure.
    static std::vector<uint8_t> renderBmp(const WireMapData& data, bool meters, const std::string& unitText,
                                          int width = 280, int height = 220);
    static std::vector<uint8_t> renderPng(const WireMapData& data, bool meters, const std::string& unitText,
                                          int width = 280, int height = 220);

private:
    void layout();
    bool pinDrawn(int pin) const;
    void drawLabels(Kestrix::Draw::Painter& p);
    void drawStubs(Kestrix::Draw::Painter& p);
    void drawConnections(Kestrix::Draw::Painter& p);
    void drawSplitPairs(Kestrix::Draw::Painter& p);
    void drawOpens(Kestrix::Draw::Painter& p);
    void drawShorts(Kestrix::Draw::Painter& p);
    bool isSplitWire(int pin) const;

    const WireMapData* _data;
    float _x, _y, _width, _height;
    bool _pairBased = false;
    bool _singleEnded = false;
    bool _drawShield = false;
    bool _m12 = false;
    float _leftX = 0;
    float _rightX = 0;
    std::array<float, 10> _pinY{};  // [pin], relative to the drawing rectangle
    std::string _unit = "m";
    bool _meters = true;
    double _fontSize = 10;
};

}  // namespace Kestrix::Tester
