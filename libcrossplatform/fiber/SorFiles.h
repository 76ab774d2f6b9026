#pragma once
// Writes the SR-4731 files of every wavelength of an OTDR test next to each other, all or none.
#include <string>
#include <vector>

#include "fiber/FiberOtdrTest.h"

namespace Kestrix {

struct SorFilesResult {
    bool ok = false;
    std::vector<std::string> paths;  // written files, in trace order
    std::string error;               // why nothing was written
};

// The file of wavelength W is "<prefix>-<W>.sor". Each file is written under a temporary name and renamed
// only when every file has been written, so a failure leaves no file behind.
SorFilesResult writeSorFiles(const FiberOtdrTest& test, const std::string& cableId, const std::string& prefix);

}  // namespace Kestrix
