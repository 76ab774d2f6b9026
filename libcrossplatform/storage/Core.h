#pragma once
// A stored project: names, the test setups, the label generators, the cursors into them, statistics.
#include <cstdint>
#include <string>

#include <json/value.h>

#include "serialization/IDumpable.h"
#include "serialization/ISerializable.h"
#include "storage/Cursor.h"
#include "storage/LabelSetList.h"
#include "storage/ProjectStatus.h"
#include "storage/TestSetList.h"

namespace Project {

class Core : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    // Writes whatever it holds; encodeProject refuses a project that would not read back (unwritableReason).
    void serialize(Marshal::IObjectWriter& w) const override;
    // Before class version 8 there is no quarnId, before 9 no orgId: they read empty.
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    // "Core" with the fields, the nested objects' members and "nextLabel".
    Json::Value toJson(const Dump::DumpFlags& flags) const override;
    // Reads the form toJson writes ("nextLabel" is derived and not read); false when anything is missing or
    // a text could not be written back (unwritableReason).
    bool fromJson(const Json::Value& json);
    // Why this project cannot be written so that it reads back, or empty: the reader refuses name,
    // operatorName, parentQuarnId, end1Name and end2Name of 200 bytes or more, and quarnId and orgId hold at
    // most 65535 bytes.
    std::string unwritableReason() const;
    bool equals(const Core& o) const;

    // The label the tester gives the next test of the active test set, or empty.
    std::string nextLabel() const;

    std::string name;
    std::string quarnId;
    std::string operatorName;
    std::string parentQuarnId;
    std::string orgId;
    int32_t activeTestSet = -1;
    int32_t activeLabelSet = -1;
    uint32_t cableEnd = 0;
    std::string end1Name;
    std::string end2Name;
    Status status;
    CursorList cursors;
    TestSetList testSets;
    LabelSetList labelSets;
    uint32_t id = 0;
    uint32_t version = 0;
};

}  // namespace Project
