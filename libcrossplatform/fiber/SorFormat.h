#pragma once
// Constants of the SR-4731 (issue 2) trace file shared by the writer and the tests' reader.
//
// Layout: a "Map" block naming every block with its revision and size in bytes, then the blocks in map
// order. Every block starts with its name as a zero-terminated string; numbers are little-endian; texts
// are zero-terminated; fixed-width codes ("EN", "mt", "ST", "0F9999", "LS") have no terminator. The last
// block, "Cksum", holds a CRC-16 (polynomial 0x1021, initial value 0xFFFF, not reflected) of every byte
// of the file before the CRC itself.
#include <cstdint>

namespace Kestrix::Sor {

inline constexpr uint16_t kRevision = 200;  // issue 2.00

inline constexpr const char* kMap = "Map";
inline constexpr const char* kGenParams = "GenParams";
inline constexpr const char* kSupParams = "SupParams";
inline constexpr const char* kFxdParams = "FxdParams";
inline constexpr const char* kKeyEvents = "KeyEvents";
inline constexpr const char* kDataPts = "DataPts";
inline constexpr const char* kCksum = "Cksum";

// A data-point scale factor of 1000 means the points are in thousandths of a dB.
inline constexpr uint16_t kUnitScale = 1000;

// Distances are stored in tenths of these units; times in units of 100 ps.
inline constexpr const char* kUnitsMetres = "mt";

}  // namespace Kestrix::Sor
