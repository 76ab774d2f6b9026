#include "copper/CopperTypes.h"

namespace Kestrix {

const char* toString(CopperTestType t) {
    static const char* const kTexts[] = {"none",
                                         "auto",
                                         "map",
                                         "resist",
                                         "imped",
                                         "length",
                                         "delay",
                                         "skew",
                                         "unbalance",
                                         "dc shield",
                                         "tdr",
                                         "",
                                         "tdx",
                                         "",
                                         "",
                                         "il",
                                         "next",
                                         "psnext",
                                         "acr",
                                         "psacr",
                                         "elfext",
                                         "pselfext",
                                         "rl",
                                         "fext",
                                         "tcl",
                                         "cdnext",
                                         "tctl",
                                         "cdfext",
                                         "cmrl",
                                         "eltctl",
                                         "psfext",
                                         "ac shield",
                                         "delay",
                                         "gum",
                                         "rl_x",
                                         "rl_xx",
                                         "cmrl_x",
                                         "ref",
                                         "refchk",
                                         "nv",
                                         "nl",
                                         "next_cald",
                                         "rl_cald",
                                         "noisy_freqs",
                                         "ref_glitch",
                                         "resist parallel",
                                         "p2p unbalance"};
    const auto v = static_cast<int32_t>(t);
    if (v < 0 || v >= static_cast<int32_t>(sizeof(kTexts) / sizeof(kTexts[0]))) return "";
    return kTexts[v];
}

const char* toString(CableEnd e) {
    switch (e) {
        case CableEnd::notset: return "notset";
        case CableEnd::main: return "main";
        case CableEnd::remote: return "remote";
    }
    return "";
}

const char* cableEndDisplayText(CableEnd e) {
    switch (e) {
        case CableEnd::main: return "End 1";
        case CableEnd::remote: return "End 2";
        default: return "";
    }
}

const char* toString(WirePair p) {
    static const char* const kTexts[] = {"notset", "pair1", "pair2", "pair3", "pair4", "pairN"};
    const auto v = static_cast<int32_t>(p);
    return v >= 0 && v <= 5 ? kTexts[v] : "";
}

const char* toString(Pin p) {
    static const char* const kTexts[] = {"notset", "pin1", "pin2", "pin3", "pin4",
                                         "pin5",   "pin6", "pin7", "pin8", "shield"};
    const auto v = static_cast<int32_t>(p);
    return v >= 0 && v <= 9 ? kTexts[v] : "";
}

namespace {
int severity(Status s) {
    switch (s) {
        case Status::notSet: return 0;
        case Status::dontShow: return 1;
        case Status::show: return 2;
        case Status::pass: return 3;
        case Status::passAcceptable: return 4;
        case Status::passStar: return 5;
        case Status::failStar: return 6;
        case Status::fail: return 7;
    }
    return -1;
}
}  // namespace

Status mergeStatus(Status a, Status b) { return severity(b) > severity(a) ? b : a; }

}  // namespace Kestrix
