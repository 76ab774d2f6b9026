#pragma once
// One JSON value as a stream of events. A host object describes its JSON once, in writeJson, and that is
// either built into a Json::Value (JsonTreeSink: toJson) or written straight as compact text (JsonTextSink:
// the host record files an import writes by the thousand), without a tree in between.
//
//   void Thing::writeJson(JsonSink& s) const {
//       s.beginObject();
//       s.member("Id", Id);
//       s.key("Items");
//       writeArray(s, Items);
//       s.endObject();
//   }
//
// Members may come in any order: the text is written with members sorted by name, as JsonCpp keeps them, so
// both forms give the same text.
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include <json/value.h>

namespace Kestrix::Tester {

class JsonSink {
public:
    virtual ~JsonSink() = default;
    virtual void beginObject() = 0;
    virtual void endObject() = 0;
    virtual void beginArray() = 0;
    virtual void endArray() = 0;
    // The name of the next member of the object being written.
    virtual void key(std::string_view name) = 0;
    virtual void null() = 0;
    virtual void boolean(bool v) = 0;
    virtual void integer(int64_t v) = 0;
    virtual void unsignedInteger(uint64_t v) = 0;
    virtual void real(double v) = 0;
    virtual void string(std::string_view v) = 0;
    // A value built as a tree elsewhere.
    virtual void value(const Json::Value& v) = 0;

    // A finite number as a real, anything else as null (as jsonNumber does).
    void number(double v);
    // Members of the types host objects hold, typed as Json::Value types them.
    void member(std::string_view name, bool v) {
        key(name);
        boolean(v);
    }
    // Whole numbers as they promote: int and int64_t signed, unsigned and uint64_t unsigned.
    template <typename T>
        requires(std::is_integral_v<T> && !std::is_same_v<T, bool>)
    void member(std::string_view name, T v) {
        key(name);
        if constexpr (std::is_signed_v<decltype(+v)>)
            integer(v);
        else
            unsignedInteger(v);
    }
    void member(std::string_view name, double v) {
        key(name);
        real(v);
    }
    void member(std::string_view name, const std::string& v) {
        key(name);
        string(v);
    }
    void member(std::string_view name, const char* v) {
        key(name);
        string(v);
    }
    void member(std::string_view name, const Json::Value& v) {
        key(name);
        value(v);
    }
    void memberNumber(std::string_view name, double v) {
        key(name);
        number(v);
    }
    void memberNull(std::string_view name) {
        key(name);
        null();
    }
};

// Items that write themselves, as an array.
template <typename T>
void writeArray(JsonSink& s, const std::vector<T>& items) {
    s.beginArray();
    for (const T& item : items) item.writeJson(s);
    s.endArray();
}

// Builds the value as a Json::Value.
class JsonTreeSink : public JsonSink {
public:
    JsonTreeSink();
    void beginObject() override;
    void endObject() override;
    void beginArray() override;
    void endArray() override;
    void key(std::string_view name) override;
    void null() override;
    void boolean(bool v) override;
    void integer(int64_t v) override;
    void unsignedInteger(uint64_t v) override;
    void real(double v) override;
    void string(std::string_view v) override;
    void value(const Json::Value& v) override;

    Json::Value take() { return std::move(_root); }

private:
    // Where the next value goes: the root, the next element of an array, or the member named last.
    Json::Value& slot();

    Json::Value _root;
    std::vector<Json::Value*> _open;
    std::string _key;
};

// Writes the value as one line of compact JSON (see compactJsonText).
class JsonTextSink : public JsonSink {
public:
    explicit JsonTextSink(size_t reserve = 0);
    void beginObject() override;
    void endObject() override;
    void beginArray() override;
    void endArray() override;
    void key(std::string_view name) override;
    void null() override;
    void boolean(bool v) override;
    void integer(int64_t v) override;
    void unsignedInteger(uint64_t v) override;
    void real(double v) override;
    void string(std::string_view v) override;
    void value(const Json::Value& v) override;

    // The text so far (the whole value once it is complete).
    std::string take() { return std::move(_out); }
    std::string& text() { return _out; }
    // Empty again for another value; the storage stays, so one sink may write many values without allocating.
    void clear();

private:
    struct Member {
        size_t begin = 0;     // of its name in the text
        size_t end = 0;       // after its value
        size_t nameSize = 0;  // of the name unescaped
        bool plain = true;    // the text between the quotes is the name as given
        std::string name;     // the name as given, kept only when its text is escaped
    };
    struct Level {
        bool object = false;
        size_t start = 0;  // of the opening bracket
        size_t count = 0;  // members or elements so far
        bool sorted = true;
        std::vector<Member> members;  // kept between uses, so that names reuse their storage
    };
    void beforeValue();
    void open(bool object, char bracket);
    // Puts the members of the object at `level` in name order.
    void sortMembers(Level& level);
    std::string_view nameOf(const Member& m) const;

    std::string _out;
    std::vector<Level> _levels;
    size_t _depth = 0;
    std::string _scratch;
    std::vector<uint32_t> _order;
};

// One line of JSON without white space, ending with a newline: members in the order JsonCpp keeps them
// (sorted by name); numbers to the precision of their source (a float's shortest text, else at most 15
// significant digits), so 148.3 prints as 148.3 and not as
// 148.30000000000001, and a real that is whole keeps ".0"; NaN as null and infinities as JsonCpp writes them
// (1e+9999); text as UTF-8 with only quote, backslash and control characters escaped, and any byte that is
// not part of valid UTF-8 replaced by U+FFFD, so the text is always valid JSON.
std::string compactJsonText(const Json::Value& json);

}  // namespace Kestrix::Tester
