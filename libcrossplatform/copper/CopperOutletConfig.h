#pragma once
// The outlet wiring of a copper test: which pairs the wiring uses and how to draw their wires.
#include <cstdint>
#include <string>
#include <vector>

#include "copper/CopperTypes.h"
#include "serialization/IDumpSerializable.h"

namespace Kestrix {

class CopperOutletConfigArtifact : public Marshal::IDumpSerializable, public Dump::IJsonable {
public:
    static constexpr uint8_t kVersion = 0;
    static constexpr uint32_t kWireSize = 1 + 1 + 1 + 4 + 4 + 1 + 1;

    // No header: artifacts exist only inside a CopperOutletConfig.
    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;
    Json::Value jsonBody(const Dump::DumpFlags& flags) const;

    WirePair srcWirePair = WirePair::notset;
    WirePair rcvWirePair = WirePair::notset;
    uint32_t wire1Color = 0;
    uint32_t wire2Color = 0;
    bool wire1IsDashed = false;
    bool wire2IsDashed = false;
};

class CopperOutletConfig : public Marshal::IDumpSerializable, public Dump::IJsonable {
public:
    void serialize(Marshal::IObjectWriter& w) const override;
    // Framed, but the reader stops after the fields and the stream check: it does not move to the end of
    // the announced payload (older writers relied on this; the owner reads on from where it stopped).
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    // {"CopperOutletConfig": body}
    Json::Value toJson(const Dump::DumpFlags& flags) const override;
    Json::Value jsonBody(const Dump::DumpFlags& flags) const;

    void reset();
    // A pair is used when an artifact has it as its source pair; unused pairs are left out of evaluations.
    bool isPairUsed(WirePair p) const;
    // The artifact whose source pair is p, or null.
    const CopperOutletConfigArtifact* artifactFor(WirePair p) const;

    std::string name;
    bool pinSwap = false;
    std::vector<CopperOutletConfigArtifact> artifacts;
};

}  // namespace Kestrix
