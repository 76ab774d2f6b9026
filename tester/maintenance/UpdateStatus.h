#pragma once
// Host update statuses and the tester's "swupdate --terse" codes they come from.
#include <string>

namespace Kestrix::Tester {

enum UpdateStatus : int {
    kUpdateDone = 0,     // tester code 1
    kUpdateRunning = 3,  // tester code 0: the tester restarts into the update
    kUpdateUploadFailed = 7,
    kUpdateNoReply = 12,  // also: no package, or a reply that is not a known code
};

// The host status for the tester's reply (leading and trailing blanks ignored; text that is not a whole
// number counts as code 6).
int updateStatusFromReply(const std::string& reply);

// A short name for printing: "DONE", "UPDATE_RUNNING", "UPLOAD_FAILED", "NO_PACKAGE_OR_REPLY", and for the
// statuses the host only numbers, "TESTER_CODE_n" with the tester's code.
std::string updateStatusName(int status);

}  // namespace Kestrix::Tester
