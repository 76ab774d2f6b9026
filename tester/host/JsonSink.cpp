#include "tester/host/JsonSink.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace Kestrix::Tester {
namespace {

template <class T>
void appendInteger(std::string& out, T v) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}

// Most reals of a host record are a tester's scaled integers: a whole number of tenths, hundredths, ... below
// 1e11. Such a value is the double nearest to a decimal d of at most 15 digits, so printing it with 15
// significant digits gives d: its digits are written straight from the integer. False for anything else.
bool appendScaled(std::string& out, double v) {
    static constexpr double kScale[] = {1, 10, 100, 1000, 10000};
    const double magnitude = std::fabs(v);
    if (!(magnitude >= 1e-4 && magnitude < 1e11)) return false;  // zero keeps its sign through to_chars
    for (int digits = 0; digits < 5; ++digits) {
        const double n = std::round(magnitude * kScale[digits]);
        if (n / kScale[digits] != magnitude) continue;
        const auto scale = static_cast<uint64_t>(kScale[digits]);
        const auto whole = static_cast<uint64_t>(n);
        if (v < 0) out += '-';
        appendInteger(out, whole / scale);
        out += '.';
        uint64_t fraction = whole % scale;
        if (fraction == 0) {
            out += '0';
            return true;
        }
        // The fewest digits came first, so the last one is not a zero.
        char text[4];
        for (int i = digits - 1; i >= 0; --i) {
            text[i] = static_cast<char>('0' + fraction % 10);
            fraction /= 10;
        }
        out.append(text, static_cast<size_t>(digits));
        return true;
    }
    return false;
}

// To the precision of its source: most measured values are stored as 32-bit floats, so a double that is
// exactly a float is written as the shortest text that reads back as that float (0.04, not
// 0.0399999991059303); any other with at most 15 significant digits (2000.4, not 2000.4000000000001).
void appendReal(std::string& out, double v) {
    if (appendScaled(out, v)) return;
    if (std::isnan(v)) {
        out += "null";
        return;
    }
    if (std::isinf(v)) {
        out += v < 0 ? "-1e+9999" : "1e+9999";
        return;
    }
    char buf[40];
    // Outside a float's range the conversion is undefined: such a value cannot have come from one.
    const bool inFloatRange = std::fabs(v) <= static_cast<double>(std::numeric_limits<float>::max());
    const auto f = inFloatRange ? static_cast<float>(v) : 0.0f;
    const auto r = inFloatRange && static_cast<double>(f) == v
                       ? std::to_chars(buf, buf + sizeof buf, f)
                       : std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
    const std::string_view text(buf, static_cast<size_t>(r.ptr - buf));
    out += text;
    if (text.find_first_of(".e") == std::string_view::npos) out += ".0";
}

// Length of the valid UTF-8 sequence at s[i], or 0 when the bytes there are not one.
size_t utf8Length(std::string_view s, size_t i) {
    const auto b = [&](size_t k) { return static_cast<unsigned char>(s[i + k]); };
    const auto cont = [&](size_t k) { return i + k < s.size() && (b(k) & 0xC0) == 0x80; };
    const unsigned char c = b(0);
    if (c >= 0xC2 && c <= 0xDF) return cont(1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        if (!cont(1) || !cont(2)) return 0;
        if (c == 0xE0 && b(1) < 0xA0) return 0;  // overlong
        if (c == 0xED && b(1) > 0x9F) return 0;  // surrogate
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (!cont(1) || !cont(2) || !cont(3)) return 0;
        if (c == 0xF0 && b(1) < 0x90) return 0;  // overlong
        if (c == 0xF4 && b(1) > 0x8F) return 0;  // above U+10FFFF
        return 4;
    }
    return 0;
}

void appendString(std::string& out, std::string_view s) {
    static const char kHex[] = "0123456789abcdef";
    out += '"';
    size_t plain = 0;  // start of the run copied as it is
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c >= 0x20 && c < 0x80 && c != '"' && c != '\\') {
            ++i;
            continue;
        }
        if (c >= 0x80) {
            const size_t len = utf8Length(s, i);
            if (len > 0) {
                i += len;
                continue;
            }
        }
        out.append(s.data() + plain, i - plain);
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    out += "\\u00";
                    out += kHex[c >> 4];
                    out += kHex[c & 0xF];
                } else {
                    out += "\xEF\xBF\xBD";  // U+FFFD for a byte that is not valid UTF-8
                }
        }
        plain = ++i;
    }
    out.append(s.data() + plain, s.size() - plain);
    out += '"';
}

// A tree's members come out of JsonCpp sorted by name already.
void appendValue(std::string& out, const Json::Value& v) {
    switch (v.type()) {
        case Json::nullValue: out += "null"; break;
        case Json::intValue: appendInteger(out, v.asLargestInt()); break;
        case Json::uintValue: appendInteger(out, v.asLargestUInt()); break;
        case Json::realValue: appendReal(out, v.asDouble()); break;
        case Json::booleanValue: out += v.asBool() ? "true" : "false"; break;
        case Json::stringValue: {
            const char* begin = nullptr;
            const char* end = nullptr;
            if (v.getString(&begin, &end))
                appendString(out, std::string_view(begin, static_cast<size_t>(end - begin)));
            else
                out += "\"\"";
            break;
        }
        case Json::arrayValue: {
            out += '[';
            const Json::ArrayIndex n = v.size();
            for (Json::ArrayIndex i = 0; i < n; ++i) {
                if (i > 0) out += ',';
                appendValue(out, v[i]);
            }
            out += ']';
            break;
        }
        case Json::objectValue: {
            out += '{';
            bool first = true;
            for (auto it = v.begin(); it != v.end(); ++it) {
                if (!first) out += ',';
                first = false;
                const char* end = nullptr;
                const char* name = it.memberName(&end);
                appendString(out, std::string_view(name, static_cast<size_t>(end - name)));
                out += ':';
                appendValue(out, *it);
            }
            out += '}';
            break;
        }
    }
}

}  // namespace

void JsonSink::number(double v) {
    if (std::isfinite(v))
        real(v);
    else
        null();
}

// ---- JsonTreeSink ----

JsonTreeSink::JsonTreeSink() = default;

Json::Value& JsonTreeSink::slot() {
    if (_open.empty()) return _root;
    Json::Value& top = *_open.back();
    if (top.isArray()) return top.append(Json::Value());
    return top[_key];
}

void JsonTreeSink::beginObject() {
    Json::Value& v = slot();
    v = Json::Value(Json::objectValue);
    _open.push_back(&v);
}

void JsonTreeSink::endObject() { _open.pop_back(); }

void JsonTreeSink::beginArray() {
    Json::Value& v = slot();
    v = Json::Value(Json::arrayValue);
    _open.push_back(&v);
}

void JsonTreeSink::endArray() { _open.pop_back(); }

void JsonTreeSink::key(std::string_view name) { _key.assign(name); }
void JsonTreeSink::null() { slot() = Json::Value(); }
void JsonTreeSink::boolean(bool v) { slot() = Json::Value(v); }
void JsonTreeSink::integer(int64_t v) { slot() = Json::Value(Json::Int64(v)); }
void JsonTreeSink::unsignedInteger(uint64_t v) { slot() = Json::Value(Json::UInt64(v)); }
void JsonTreeSink::real(double v) { slot() = Json::Value(v); }
void JsonTreeSink::string(std::string_view v) { slot() = Json::Value(v.data(), v.data() + v.size()); }
void JsonTreeSink::value(const Json::Value& v) { slot() = v; }

// ---- JsonTextSink ----

JsonTextSink::JsonTextSink(size_t reserve) { _out.reserve(reserve); }

void JsonTextSink::clear() {
    _out.clear();
    _depth = 0;
}

void JsonTextSink::beforeValue() {
    if (_depth == 0) return;
    Level& l = _levels[_depth - 1];
    // A member's comma and name were written by key().
    if (l.object) return;
    if (l.count++ > 0) _out += ',';
}

void JsonTextSink::open(bool object, char bracket) {
    beforeValue();
    if (_levels.size() <= _depth) _levels.emplace_back();
    Level& l = _levels[_depth++];
    l.object = object;
    l.start = _out.size();
    l.count = 0;
    l.sorted = true;
    _out += bracket;
}

void JsonTextSink::beginObject() { open(true, '{'); }
void JsonTextSink::beginArray() { open(false, '['); }

void JsonTextSink::endArray() {
    --_depth;
    _out += ']';
}

void JsonTextSink::endObject() {
    Level& l = _levels[--_depth];
    if (l.count > 0) l.members[l.count - 1].end = _out.size();
    if (!l.sorted) sortMembers(l);
    _out += '}';
}

namespace {

// Byte order, as std::string and JsonCpp compare names; most names differ in their first letter.
bool nameBefore(std::string_view a, std::string_view b) {
    if (!a.empty() && !b.empty() && a[0] != b[0])
        return static_cast<unsigned char>(a[0]) < static_cast<unsigned char>(b[0]);
    return a < b;
}

}  // namespace

std::string_view JsonTextSink::nameOf(const Member& m) const {
    if (!m.plain) return m.name;
    return std::string_view(_out).substr(m.begin + 1, m.nameSize);
}

void JsonTextSink::key(std::string_view name) {
    Level& l = _levels[_depth - 1];
    if (l.count > 0) {
        Member& previous = l.members[l.count - 1];
        previous.end = _out.size();
        if (l.sorted && !nameBefore(nameOf(previous), name)) l.sorted = false;
        _out += ',';
    }
    if (l.members.size() <= l.count) l.members.emplace_back();
    Member& m = l.members[l.count++];
    m.begin = _out.size();
    m.nameSize = name.size();
    appendString(_out, name);
    // Escaping only lengthens, so a text as long as the name and its quotes is the name.
    m.plain = _out.size() - m.begin == name.size() + 2;
    if (!m.plain) m.name.assign(name);
    _out += ':';
}

void JsonTextSink::sortMembers(Level& l) {
    _order.resize(l.count);
    for (size_t i = 0; i < l.count; ++i) _order[i] = static_cast<uint32_t>(i);
    const std::vector<Member>& m = l.members;
    // Stable, so that a name given twice keeps its last value, as in a tree.
    std::stable_sort(_order.begin(), _order.end(),
                     [&](uint32_t a, uint32_t b) { return nameBefore(nameOf(m[a]), nameOf(m[b])); });
    _scratch.clear();
    for (size_t i = 0; i < _order.size(); ++i) {
        const Member& it = m[_order[i]];
        if (i + 1 < _order.size() && nameOf(m[_order[i + 1]]) == nameOf(it)) continue;
        if (!_scratch.empty()) _scratch += ',';
        _scratch.append(_out, it.begin, it.end - it.begin);
    }
    _out.resize(l.start + 1);
    _out += _scratch;
}

void JsonTextSink::null() {
    beforeValue();
    _out += "null";
}

void JsonTextSink::boolean(bool v) {
    beforeValue();
    _out += v ? "true" : "false";
}

void JsonTextSink::integer(int64_t v) {
    beforeValue();
    appendInteger(_out, v);
}

void JsonTextSink::unsignedInteger(uint64_t v) {
    beforeValue();
    appendInteger(_out, v);
}

void JsonTextSink::real(double v) {
    beforeValue();
    appendReal(_out, v);
}

void JsonTextSink::string(std::string_view v) {
    beforeValue();
    appendString(_out, v);
}

void JsonTextSink::value(const Json::Value& v) {
    beforeValue();
    appendValue(_out, v);
}

std::string compactJsonText(const Json::Value& json) {
    JsonTextSink s;
    s.value(json);
    std::string out = s.take();
    out += '\n';
    return out;
}

}  // namespace Kestrix::Tester
