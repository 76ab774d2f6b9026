#pragma once
// Codes of the tester's link interface adapters and verification fixtures, as stored in limits and results.
#include <cstdint>

namespace Kestrix::Meascop {

using LiaId = uint16_t;

inline constexpr LiaId kLiaM12XCode = 212;
inline constexpr LiaId kLiaM12D = 213;
inline constexpr LiaId kLiaIx = 224;

// Short name of an adapter code; empty for an unknown code.
const char* liaName(LiaId id);

}  // namespace Kestrix::Meascop
