#pragma once
// The tester's frequency grid and the packed form of stored curves (limit curves and plots).
#include <cstdint>
#include <string>
#include <vector>

#include "serialization/IObjectReader.h"
#include "serialization/IObjectWriter.h"
#include "serialization/StreamOpStatus.h"

namespace Kestrix {

// Grid index of a frequency in kHz; frequencies between grid points round down, below 1 MHz give 0.
int kHzToIdx(int kHz);
// Frequency in kHz of a grid index; negative indexes give 1000.
int idxToKHz(int index);

// Curve codec: each sample is its difference to the previous one as a signed byte, or the escape byte 0x80
// followed by the sample itself (little-endian) when the difference does not fit in -127..127.
inline constexpr uint8_t kCurveEscape = 0x80;

// Packs srcLen samples into dst; *dstLen holds the capacity (at least 3 * srcLen) on entry and the packed
// length on return.
void packCurve(const int16_t* src, int srcLen, uint8_t* dst, unsigned* dstLen);
std::vector<uint8_t> packCurve(const std::vector<int16_t>& samples);

// Unpacks `count` samples from the `srcLen` packed bytes. Never reads beyond srcLen: false when the bytes
// run out before `count` samples are complete (dst then holds what was decoded). Bytes after the last
// sample are ignored. *used, when given, receives the number of bytes consumed.
bool unpackCurve(const uint8_t* src, uint32_t srcLen, int16_t* dst, uint32_t count, uint32_t* used = nullptr);

// Stream form of a stored curve: uint32 sample count N; if N > 0, uint32 packed length M and M packed bytes.
void writePackedCurve(Marshal::IObjectWriter& w, const std::vector<int16_t>& samples);
// Reads that form into `samples`. Counts are checked against the bytes left before anything is allocated;
// a count that cannot be satisfied, a short stream or packed bytes that run out give readError.
Marshal::StreamOpStatus readPackedCurve(Marshal::IObjectReader& r, std::vector<int16_t>& samples);

// Database version texts of the form "V<major>.<minor>[...]" (for example "V10.2 beta").
struct DbVersionNumber {
    int major = 0;
    int minor = 0;
};
// False when the text does not start with "V", a major number, "." and a minor number.
bool parseDbVersion(const std::string& text, DbVersionNumber& out);
// True when `text` names a version below major.minor, comparing the numbers (so "V10.2" is above "V7.1").
// A text that is not a version counts as below.
bool dbVersionBelow(const std::string& text, int major, int minor);

}  // namespace Kestrix
