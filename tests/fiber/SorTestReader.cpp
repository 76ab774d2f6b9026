#include "SorTestReader.h"

#include <map>

namespace kx::test {

namespace {

// Checked little-endian reads over [pos, end); the first failure sticks.
class Cursor {
public:
    Cursor(const std::vector<uint8_t>& b, size_t pos, size_t end) : _b(b), _pos(pos), _end(end) {}
    bool ok() const { return _ok; }
    size_t pos() const { return _pos; }
    bool atEnd() const { return _pos == _end; }

    uint32_t uint(int n) {
        if (!have(static_cast<size_t>(n))) return 0;
        uint32_t v = 0;
        for (int i = 0; i < n; ++i) v |= static_cast<uint32_t>(_b[_pos + static_cast<size_t>(i)]) << (8 * i);
        _pos += static_cast<size_t>(n);
        return v;
    }
    uint16_t u16() { return static_cast<uint16_t>(uint(2)); }
    int16_t i16() { return static_cast<int16_t>(uint(2)); }
    uint32_t u32() { return uint(4); }
    int32_t i32() { return static_cast<int32_t>(uint(4)); }
    std::string text() {
        std::string s;
        while (_ok && _pos < _end && _b[_pos] != 0) s.push_back(static_cast<char>(_b[_pos++]));
        if (_pos >= _end)
            _ok = false;
        else
            ++_pos;
        return s;
    }
    std::string code(size_t n) {
        if (!have(n)) return {};
        std::string s(_b.begin() + static_cast<std::ptrdiff_t>(_pos),
                      _b.begin() + static_cast<std::ptrdiff_t>(_pos + n));
        _pos += n;
        return s;
    }

private:
    bool have(size_t n) {
        if (!_ok || n > _end - _pos) _ok = false;
        return _ok;
    }
    const std::vector<uint8_t>& _b;
    size_t _pos, _end;
    bool _ok = true;
};

std::nullopt_t fail(std::string* why, const std::string& reason) {
    if (why) *why = reason;
    return std::nullopt;
}

uint16_t crc16(const uint8_t* d, size_t n) {
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < n; ++i) {
        crc ^= static_cast<uint16_t>(d[i] << 8);
        for (int k = 0; k < 8; ++k) crc = static_cast<uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return crc;
}

void readGen(Cursor& c, SorGenParams& g) {
    g.language = c.code(2);
    g.cableId = c.text();
    g.fiberId = c.text();
    g.fiberType = c.u16();
    g.wavelength = c.u16();
    g.origin = c.text();
    g.termination = c.text();
    g.cableCode = c.text();
    g.dataFlag = c.code(2);
    g.userOffset = c.i32();
    g.userOffsetDistance = c.i32();
    g.operatorName = c.text();
    g.comment = c.text();
}

void readSup(Cursor& c, SorSupParams& s) {
    s.supplier = c.text();
    s.mainframeId = c.text();
    s.mainframeSn = c.text();
    s.moduleId = c.text();
    s.moduleSn = c.text();
    s.software = c.text();
    s.other = c.text();
}

void readFxd(Cursor& c, SorFxdParams& f) {
    f.timestamp = c.u32();
    f.units = c.code(2);
    f.actualWavelength = c.u16();
    f.acqOffset = c.i32();
    f.acqOffsetDistance = c.i32();
    const uint16_t pulses = c.u16();
    // Each pulse width takes 10 bytes over the three lists; the count cannot exceed what remains.
    for (uint16_t i = 0; i < pulses && c.ok(); ++i) f.pulseWidths.push_back(c.u16());
    for (uint16_t i = 0; i < pulses && c.ok(); ++i) f.dataSpacing.push_back(c.i32());
    for (uint16_t i = 0; i < pulses && c.ok(); ++i) f.pointsPerPulse.push_back(c.i32());
    f.groupIndex = c.i32();
    f.backscatter = c.u16();
    f.averages = c.i32();
    f.averagingTime = c.u16();
    f.acqRange = c.i32();
    f.acqRangeDistance = c.i32();
    f.frontPanelOffset = c.i32();
    f.noiseFloor = c.u16();
    f.noiseFloorScale = c.i16();
    f.powerOffset = c.u16();
    f.lossThreshold = c.u16();
    f.reflThreshold = c.u16();
    f.endThreshold = c.u16();
    f.traceType = c.code(2);
    for (int32_t& w : f.window) w = c.i32();
}

void readKeyEvents(Cursor& c, SorKeyEvents& k) {
    const uint16_t n = c.u16();
    for (uint16_t i = 0; i < n && c.ok(); ++i) {
        SorEvent e;
        e.number = c.u16();
        e.time = c.i32();
        e.leadInAttn = c.i16();
        e.loss = c.i16();
        e.reflectance = c.i32();
        e.code = c.code(6);
        e.technique = c.code(2);
        for (int32_t& m : e.markers) m = c.i32();
        e.comment = c.text();
        if (c.ok()) k.events.push_back(e);
    }
    k.endToEndLoss = c.i32();
    k.endToEndStart = c.i32();
    k.endToEndEnd = c.i32();
    k.orl = c.u16();
    k.orlStart = c.i32();
    k.orlEnd = c.i32();
}

void readData(Cursor& c, SorDataPts& d, size_t blockEnd) {
    d.count = c.i32();
    d.traces = c.u16();
    d.count2 = c.i32();
    d.scale = c.u16();
    if (!c.ok() || d.count < 0 || static_cast<size_t>(d.count) > (blockEnd - c.pos()) / 2) return;
    d.points.reserve(static_cast<size_t>(d.count));
    for (int32_t i = 0; i < d.count; ++i) d.points.push_back(c.u16());
}

}  // namespace

std::optional<SorFile> readSorFile(const std::vector<uint8_t>& bytes, std::string* why) {
    SorFile f;
    Cursor m(bytes, 0, bytes.size());
    if (m.text() != "Map") return fail(why, "no Map block");
    f.mapRevision = m.u16();
    f.mapSize = m.i32();
    const uint16_t count = m.u16();
    if (!m.ok() || f.mapSize < 0 || static_cast<size_t>(f.mapSize) > bytes.size())
        return fail(why, "Map block header cut short or too large");
    for (uint16_t i = 1; i < count && m.ok(); ++i) {
        SorMapEntry e;
        e.name = m.text();
        e.revision = m.u16();
        e.size = m.i32();
        if (m.ok()) f.blocks.push_back(e);
    }
    if (!m.ok() || m.pos() != static_cast<size_t>(f.mapSize))
        return fail(why, "Map block size does not match its entries");

    size_t pos = m.pos();
    std::map<std::string, int> seen;
    for (const auto& e : f.blocks) {
        if (e.size < 0 || static_cast<size_t>(e.size) > bytes.size() - pos)
            return fail(why, e.name + " block runs past the end of the file");
        const size_t end = pos + static_cast<size_t>(e.size);
        Cursor c(bytes, pos, end);
        if (c.text() != e.name) return fail(why, e.name + " block does not start with its name");
        if (seen[e.name]++) return fail(why, e.name + " block appears twice");
        if (e.name == "GenParams")
            readGen(c, f.gen);
        else if (e.name == "SupParams")
            readSup(c, f.sup);
        else if (e.name == "FxdParams")
            readFxd(c, f.fxd);
        else if (e.name == "KeyEvents")
            readKeyEvents(c, f.keyEvents);
        else if (e.name == "DataPts")
            readData(c, f.data, end);
        else if (e.name == "Cksum") {
            const uint16_t want = crc16(bytes.data(), c.pos());
            f.checksum = c.u16();
            if (c.ok() && f.checksum != want) return fail(why, "checksum mismatch");
        } else {
            pos = end;  // a block this reader does not know is skipped by its size
            continue;
        }
        if (!c.ok() || !c.atEnd()) return fail(why, e.name + " block size does not match its fields");
        pos = end;
    }
    if (pos != bytes.size()) return fail(why, "bytes after the last block");
    for (const char* required : {"GenParams", "SupParams", "FxdParams", "DataPts", "Cksum"})
        if (!seen.count(required)) return fail(why, std::string("no ") + required + " block");
    if (f.blocks.back().name != "Cksum") return fail(why, "Cksum is not the last block");
    return f;
}

}  // namespace kx::test
