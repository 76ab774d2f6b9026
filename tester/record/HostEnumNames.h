#pragma once
// Host records give an enumeration as its code under the host's field name and, beside it, its name under
// the field name with "Name" appended ("Status": 4, "StatusName": "PASS"): readers keep the codes, people
// read the names.
#include <json/value.h>

namespace Kestrix::Tester {

// "PASS", "PASS*", "FAIL", "PASS ACC.", "NO VERDICT": the words the report and the tool use for a host status.
const char* hostStatusName(int status);
// "Copper", "Fiber", "Coax", "Unknown".
const char* hostMediaName(int media);

// Adds the names of the enumerations the tool knows (Status, StoredStatus, Media, a parameter's Kind, a copper
// measurement's CopperEnd) beside their codes, everywhere in a host record's JSON. Running it again changes
// nothing.
void nameEnumerations(Json::Value& hostJson);

}  // namespace Kestrix::Tester
