#include "fiber/FiberEnums.h"

namespace Kestrix {

const char* toString(FiberCategory c) {
    switch (c) {
        case FiberCategory::OM1: return "OM1";
        case FiberCategory::OM2: return "OM2";
        case FiberCategory::OM3: return "OM3";
        case FiberCategory::OM4: return "OM4";
        case FiberCategory::OS1: return "OS1";
        case FiberCategory::OS2: return "OS2";
        case FiberCategory::OM1_160: return "OM1_160";
        case FiberCategory::OM2_400: return "OM2_400";
        case FiberCategory::OM5: return "OM5";
        default: return "";
    }
}

const char* toString(FiberMode m) {
    switch (m) {
        case FiberMode::singlemode: return "singlemode";
        case FiberMode::multimode: return "multimode";
        default: return "";
    }
}

const char* toString(FiberConnectorType t) {
    switch (t) {
        case FiberConnectorType::general: return "General";
        case FiberConnectorType::SC: return "SC";
        case FiberConnectorType::ST: return "ST";
        case FiberConnectorType::FC: return "FC";
        case FiberConnectorType::LC: return "LC";
        case FiberConnectorType::MTRJ: return "MT-RJ";
        case FiberConnectorType::VF45: return "VF45";
        case FiberConnectorType::fiberJack: return "FiberJack";
        case FiberConnectorType::mpoModule: return "MPO Module";
        default: return "Not Set";
    }
}

}  // namespace Kestrix
