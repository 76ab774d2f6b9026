#pragma once
// Host records give an enumeration as its code under the host's field name and, beside it, its name under
// the field name with "Name" appended ("Status": 4, "StatusName": "PASS"): readers keep the codes, people
// read the names.
#include <string>

#include <json/value.h>

#include "tester/host/JsonSink.h"

namespace Kestrix::Tester {

// "PASS", "PASS*", "FAIL", "PASS ACC.", "NO VERDICT": the words the report and the tool use for a host status.
const char* hostStatusName(int status);
// "Copper", "Fiber", "Coax", "Unknown".
const char* hostMediaName(int media);

// Adds the names of the enumerations the tool knows (Status, StoredStatus, Media, a parameter's Kind, a copper
// measurement's CopperEnd) beside their codes, everywhere in a host record's JSON. Running it again changes
// nothing.
void nameEnumerations(Json::Value& hostJson);

// The same while a host record is written: passes everything on to `out` and adds the name member beside each
// code member it sees.
class EnumNamingSink : public JsonSink {
public:
    explicit EnumNamingSink(JsonSink& out) : _out(out) {}
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

private:
    // Writes the name of `code` when the member just written is one the tool names.
    void named(int64_t code);

    JsonSink& _out;
    const char* (*_namer)(int) = nullptr;  // of the member whose value comes next, if it is named
    std::string _key;
};

}  // namespace Kestrix::Tester
