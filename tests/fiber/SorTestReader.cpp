#include "SorTestReader.h"

namespace kx::test {

namespace {

enum class Kind { code2, code6, text, u16, i16, u32, i32 };

struct Field {
    Kind kind;
    const char* name;
};

// Checked little-endian reads over [pos, end); the first failure sticks.
class Cursor {
public:
    Cursor(const std::vector<uint8_t>& b, size_t pos, size_t end) : _b(b), _pos(pos), _end(end) {}
    bool ok() const { return _ok; }
    size_t pos() const { return _pos; }
    bool atEnd() const { return _pos == _end; }

    uint32_t uint(size_t n) {
        if (!have(n)) return 0;
        uint32_t v = 0;
        for (size_t i = 0; i < n; ++i) v |= static_cast<uint32_t>(_b[_pos + i]) << (8 * i);
        _pos += n;
        return v;
    }
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
    Json::Value value(Kind k) {
        switch (k) {
            case Kind::code2: return code(2);
            case Kind::code6: return code(6);
            case Kind::text: return text();
            case Kind::u16: return uint(2);
            case Kind::i16: return static_cast<int16_t>(uint(2));
            case Kind::u32: return uint(4);
            case Kind::i32: return static_cast<int32_t>(uint(4));
        }
        return {};
    }
    void fields(std::initializer_list<Field> list, Json::Value& out) {
        for (const Field& f : list) out[f.name] = value(f.kind);
    }
    // `n` values of one kind, stopping at the first failure, so a count cannot outrun the bytes.
    Json::Value list(size_t n, Kind k) {
        Json::Value out(Json::arrayValue);
        for (size_t i = 0; i < n && _ok; ++i) out.append(value(k));
        return out;
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

void readBlock(const std::string& name, Cursor& c, Json::Value& b, size_t blockEnd) {
    using K = Kind;
    if (name == "GenParams") {
        c.fields({{K::code2, "language"},
                  {K::text, "cableId"},
                  {K::text, "fiberId"},
                  {K::u16, "fiberType"},
                  {K::u16, "wavelength"},
                  {K::text, "origin"},
                  {K::text, "termination"},
                  {K::text, "cableCode"},
                  {K::code2, "dataFlag"},
                  {K::i32, "userOffset"},
                  {K::i32, "userOffsetDistance"},
                  {K::text, "operatorName"},
                  {K::text, "comment"}},
                 b);
    } else if (name == "SupParams") {
        c.fields({{K::text, "supplier"},
                  {K::text, "mainframeId"},
                  {K::text, "mainframeSn"},
                  {K::text, "moduleId"},
                  {K::text, "moduleSn"},
                  {K::text, "software"},
                  {K::text, "other"}},
                 b);
    } else if (name == "FxdParams") {
        c.fields({{K::u32, "timestamp"},
                  {K::code2, "units"},
                  {K::u16, "actualWavelength"},
                  {K::i32, "acqOffset"},
                  {K::i32, "acqOffsetDistance"}},
                 b);
        const uint32_t pulses = c.uint(2);
        b["pulseWidths"] = c.list(pulses, K::u16);
        b["dataSpacing"] = c.list(pulses, K::i32);
        b["pointsPerPulse"] = c.list(pulses, K::i32);
        c.fields({{K::i32, "groupIndex"},
                  {K::u16, "backscatter"},
                  {K::i32, "averages"},
                  {K::u16, "averagingTime"},
                  {K::i32, "acqRange"},
                  {K::i32, "acqRangeDistance"},
                  {K::i32, "frontPanelOffset"},
                  {K::u16, "noiseFloor"},
                  {K::i16, "noiseFloorScale"},
                  {K::u16, "powerOffset"},
                  {K::u16, "lossThreshold"},
                  {K::u16, "reflThreshold"},
                  {K::u16, "endThreshold"},
                  {K::code2, "traceType"}},
                 b);
        b["window"] = c.list(4, K::i32);
    } else if (name == "KeyEvents") {
        const uint32_t n = c.uint(2);
        b["events"] = Json::Value(Json::arrayValue);
        for (uint32_t i = 0; i < n && c.ok(); ++i) {
            Json::Value e;
            c.fields({{K::u16, "number"},
                      {K::i32, "time"},
                      {K::i16, "leadInAttn"},
                      {K::i16, "loss"},
                      {K::i32, "reflectance"},
                      {K::code6, "code"},
                      {K::code2, "technique"}},
                     e);
            e["markers"] = c.list(5, K::i32);
            e["comment"] = c.text();
            if (c.ok()) b["events"].append(e);
        }
        c.fields({{K::i32, "endToEndLoss"},
                  {K::i32, "endToEndStart"},
                  {K::i32, "endToEndEnd"},
                  {K::u16, "orl"},
                  {K::i32, "orlStart"},
                  {K::i32, "orlEnd"}},
                 b);
    } else if (name == "DataPts") {
        c.fields({{K::i32, "count"}, {K::u16, "traces"}, {K::i32, "count2"}, {K::u16, "scale"}}, b);
        const int count = b["count"].asInt();
        if (c.ok() && count >= 0 && static_cast<size_t>(count) <= (blockEnd - c.pos()) / 2)
            b["points"] = c.list(static_cast<size_t>(count), K::u16);
    }
}

}  // namespace

std::optional<Json::Value> readSorFile(const std::vector<uint8_t>& bytes, std::string* why) {
    Json::Value f;
    Cursor m(bytes, 0, bytes.size());
    if (m.text() != "Map") return fail(why, "no Map block");
    f["Map"]["revision"] = m.uint(2);
    const int32_t mapSize = static_cast<int32_t>(m.uint(4));
    const uint32_t count = m.uint(2);
    if (!m.ok() || mapSize < 0 || static_cast<size_t>(mapSize) > bytes.size())
        return fail(why, "Map block header cut short or too large");
    Json::Value& blocks = f["Map"]["blocks"] = Json::Value(Json::arrayValue);
    for (uint32_t i = 1; i < count && m.ok(); ++i) {
        Json::Value e;
        m.fields({{Kind::text, "name"}, {Kind::u16, "revision"}, {Kind::i32, "size"}}, e);
        if (m.ok()) blocks.append(e);
    }
    if (!m.ok() || m.pos() != static_cast<size_t>(mapSize))
        return fail(why, "Map block size does not match its entries");

    size_t pos = m.pos();
    for (const auto& e : blocks) {
        const std::string name = e["name"].asString();
        const int32_t size = e["size"].asInt();
        if (size < 0 || static_cast<size_t>(size) > bytes.size() - pos)
            return fail(why, name + " block runs past the end of the file");
        const size_t end = pos + static_cast<size_t>(size);
        Cursor c(bytes, pos, end);
        pos = end;
        if (c.text() != name) return fail(why, name + " block does not start with its name");
        if (f.isMember(name)) return fail(why, name + " block appears twice");
        Json::Value& b = f[name] = Json::Value(Json::objectValue);
        if (name == "Cksum") {
            const uint16_t want = crc16(bytes.data(), c.pos());
            b["checksum"] = c.uint(2);
            if (c.ok() && b["checksum"].asUInt() != want) return fail(why, "checksum mismatch");
        } else if (name != "GenParams" && name != "SupParams" && name != "FxdParams" && name != "KeyEvents" &&
                   name != "DataPts") {
            continue;  // a block this reader does not know is skipped by its size
        }
        readBlock(name, c, b, end);
        if (!c.ok() || !c.atEnd()) return fail(why, name + " block size does not match its fields");
    }
    if (pos != bytes.size()) return fail(why, "bytes after the last block");
    for (const char* required : {"GenParams", "SupParams", "FxdParams", "DataPts", "Cksum"})
        if (!f.isMember(required)) return fail(why, std::string("no ") + required + " block");
    if (blocks[blocks.size() - 1]["name"].asString() != "Cksum") return fail(why, "Cksum is not the last block");
    return f;
}

}  // namespace kx::test
