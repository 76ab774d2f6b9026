#pragma once
// The wiremap result: how the eight conductors and the shield connect between the main and remote units.
#include <cstdint>
#include <vector>

#include "common/ScaledInt.h"
#include "common/Status.h"
#include "copper/CopperTypes.h"
#include "serialization/IDumpSerializable.h"

namespace Kestrix {

// The artifacts have no header; each starts with a version byte (written 0, not checked when read).
struct WiremapArtifactSplitPair {
    static constexpr uint32_t kWireSize = 1 + 2 + 2 + 2 * ScaledInt::kWireSize;
    void serialize(Marshal::IObjectWriter& w) const;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r);
    Json::Value toJson() const;

    WirePair pair1 = WirePair::notset;
    WirePair pair2 = WirePair::notset;
    ScaledInt lengthFromMain;
    ScaledInt lengthFromRemote;
};

struct WiremapArtifactConnected {
    static constexpr uint32_t kWireSize = 1 + 2 + 2;
    void serialize(Marshal::IObjectWriter& w) const;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r);
    Json::Value toJson() const;

    Pin mainPin = Pin::notset;
    Pin remotePin = Pin::notset;
};

struct WiremapArtifactOpen {
    static constexpr uint32_t kWireSize = 1 + 2 + 2 + ScaledInt::kWireSize;
    void serialize(Marshal::IObjectWriter& w) const;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r);
    Json::Value toJson() const;

    CableEnd cableEnd = CableEnd::notset;
    Pin pin = Pin::notset;
    ScaledInt lengthToOpen;
};

struct WiremapArtifactShort {
    static constexpr uint32_t kWireSize = 1 + 2 + 2 + 2 + ScaledInt::kWireSize;
    void serialize(Marshal::IObjectWriter& w) const;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r);
    Json::Value toJson() const;

    CableEnd cableEnd = CableEnd::notset;
    Pin pin1 = Pin::notset;
    Pin pin2 = Pin::notset;
    ScaledInt lengthToShort;
};

class Wiremap : public Marshal::IDumpSerializable, public Dump::IJsonable {
public:
    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    // {"Wiremap": body}
    Json::Value toJson(const Dump::DumpFlags& flags) const override;
    Json::Value jsonBody(const Dump::DumpFlags& flags) const;

    void reset();
    // The pin takes part in a connection, an open or a short (split pairs do not count).
    bool isPinUsed(Pin pin) const;

    Status status = Status::show;
    bool isNearBadPatch = false;
    bool isFarBadPatch = false;
    bool isAcMap = false;
    bool isDisplayByPairs = false;
    std::vector<WiremapArtifactSplitPair> splitPairs;
    std::vector<WiremapArtifactConnected> connections;
    std::vector<WiremapArtifactOpen> opens;
    std::vector<WiremapArtifactShort> shorts;
};

}  // namespace Kestrix
