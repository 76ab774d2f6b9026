#include "common/ModuleId.h"

namespace Kestrix {

const char* toString(ModuleId id) {
    switch (static_cast<int32_t>(id)) {
        case 100: return "GFP-QUAD";
        case 101: return "GFP-MM";
        case 102: return "GFP-SM";
        case 103: return "GFP-HDR";
        case 104: return "GFP-HDR+1490";
        case 105: return "GFP-HDR+1625";
        case 106: return "GFP-HDR-QUAD";
        case 200: return "LMP-QUAD";
        case 201: return "LMP-MM";
        case 202: return "LMP-SM";
        case 300: return "KZR-C";
        case 302: return "KZR-A";
        case 400: return "KZR-D";
        case 10100: return "DFU: OTDR mid quad";
        case 10101: return "DFU: OTDR mid mm";
        case 10102: return "DFU: OTDR mid sm";
        case 10103: return "DFU: HDR OTDR sm";
        case 10104: return "DFU: HDR OTDR sm+1490";
        case 10105: return "DFU: HDR OTDR sm+1625";
        case 10106: return "DFU: HDR OTDR quad";
        case 10200: return "DFU: OLTS mid quad";
        case 10201: return "DFU: OLTS mid mm";
        case 10202: return "DFU: OLTS mid sm";
        case 10300: return "Boot: Copper Class FA";
        case 10302: return "Boot: Copper Cat 6A";
        case 10400: return "Boot: Copper Cat 8";
    }
    return "";
}

}  // namespace Kestrix
