#pragma once
// The host's status codes of a record, a test or a measurement: what the native statuses convert to.

namespace Kestrix::Tester {

inline constexpr int kHostStatusFail = 0;  // native Fail and Fail star
inline constexpr int kHostStatusPassStar = 3;
inline constexpr int kHostStatusPass = 4;
inline constexpr int kHostStatusNotSet = 5;   // native Not set, Show and Don't show
inline constexpr int kHostStatusUnknown = 6;  // a native status no table lists; also "not judged yet"
inline constexpr int kHostStatusPassAcceptable = 7;

// A verdict the host counts as passed: Pass, Pass star or Pass acceptable.
constexpr bool hostStatusPasses(int status) {
    return status == kHostStatusPass || status == kHostStatusPassStar || status == kHostStatusPassAcceptable;
}
// Passed or failed, as opposed to no verdict at all.
constexpr bool hostStatusJudged(int status) { return status == kHostStatusFail || hostStatusPasses(status); }

}  // namespace Kestrix::Tester
