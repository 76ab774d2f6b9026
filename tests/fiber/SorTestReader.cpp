#include "SorTestReader.h"

#include "fiber/SorWriter.h"

namespace kx::test {

namespace {

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
    Json::Value u16() { return uint(2); }
    Json::Value i16() { return static_cast<int16_t>(uint(2)); }
    Json::Value u32() { return uint(4); }
    Json::Value i32() { return static_cast<int32_t>(uint(4)); }
    // `n` values read by `one`, stopping at the first failure, so a count cannot outrun the bytes.
    Json::Value list(size_t n, Json::Value (Cursor::*one)()) {
        Json::Value out(Json::arrayValue);
        for (size_t i = 0; i < n && _ok; ++i) out.append((this->*one)());
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

void readBlock(const std::string& name, Cursor& c, Json::Value& b, size_t blockEnd) {
    if (name == "GenParams") {
        b["language"] = c.code(2);
        b["cableId"] = c.text();
        b["fiberId"] = c.text();
        b["fiberType"] = c.u16();
        b["wavelength"] = c.u16();
        b["origin"] = c.text();
        b["termination"] = c.text();
        b["cableCode"] = c.text();
        b["dataFlag"] = c.code(2);
        b["userOffset"] = c.i32();
        b["userOffsetDistance"] = c.i32();
        b["operatorName"] = c.text();
        b["comment"] = c.text();
    } else if (name == "SupParams") {
        for (const char* field :
             {"supplier", "mainframeId", "mainframeSn", "moduleId", "moduleSn", "software", "other"})
            b[field] = c.text();
    } else if (name == "FxdParams") {
        b["timestamp"] = c.u32();
        b["units"] = c.code(2);
        b["actualWavelength"] = c.u16();
        b["acqOffset"] = c.i32();
        b["acqOffsetDistance"] = c.i32();
        const uint32_t pulses = c.uint(2);
        b["pulseWidths"] = c.list(pulses, &Cursor::u16);
        b["dataSpacing"] = c.list(pulses, &Cursor::i32);
        b["pointsPerPulse"] = c.list(pulses, &Cursor::i32);
        b["groupIndex"] = c.i32();
        b["backscatter"] = c.u16();
        b["averages"] = c.i32();
        b["averagingTime"] = c.u16();
        b["acqRange"] = c.i32();
        b["acqRangeDistance"] = c.i32();
        b["frontPanelOffset"] = c.i32();
        b["noiseFloor"] = c.u16();
        b["noiseFloorScale"] = c.i16();
        for (const char* field : {"powerOffset", "lossThreshold", "reflThreshold", "endThreshold"}) b[field] = c.u16();
        b["traceType"] = c.code(2);
        b["window"] = c.list(4, &Cursor::i32);
    } else if (name == "KeyEvents") {
        const uint32_t n = c.uint(2);
        b["events"] = Json::Value(Json::arrayValue);
        for (uint32_t i = 0; i < n && c.ok(); ++i) {
            Json::Value e;
            e["number"] = c.u16();
            e["time"] = c.i32();
            e["leadInAttn"] = c.i16();
            e["loss"] = c.i16();
            e["reflectance"] = c.i32();
            e["code"] = c.code(6);
            e["technique"] = c.code(2);
            e["markers"] = c.list(5, &Cursor::i32);
            e["comment"] = c.text();
            if (c.ok()) b["events"].append(e);
        }
        for (const char* field : {"endToEndLoss", "endToEndStart", "endToEndEnd"}) b[field] = c.i32();
        b["orl"] = c.u16();
        b["orlStart"] = c.i32();
        b["orlEnd"] = c.i32();
    } else if (name == "DataPts") {
        b["count"] = c.i32();
        b["traces"] = c.u16();
        b["count2"] = c.i32();
        b["scale"] = c.u16();
        const int count = b["count"].asInt();
        if (c.ok() && count >= 0 && static_cast<size_t>(count) <= (blockEnd - c.pos()) / 2)
            b["points"] = c.list(static_cast<size_t>(count), &Cursor::u16);
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
        e["name"] = m.text();
        e["revision"] = m.u16();
        e["size"] = m.i32();
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
            // The writer's checksum, pinned by its known answer (Sor, ChecksumKnownAnswerAndCorruption).
            const uint16_t want = Kestrix::sorChecksum(bytes.data(), c.pos());
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
