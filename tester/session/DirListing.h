#pragma once
// Reading the reply of `ls -lQ "folder"` on a tester (BusyBox long format, names in double quotes).
#include <string>
#include <vector>

#include <boost/optional.hpp>

#include "tester/host/TesterConnectInfo.h"

namespace Kestrix::Tester {

// Entries in reply order; none for an empty reply, one containing "No such file", a size that is not a
// decimal integer, a line with a size but no name, or no entry at all. Only lines ended by LF and longer
// than 50 characters are read (that skips "total N").
boost::optional<std::vector<dirEntry>> parseDirListing(const std::string& reply);

}  // namespace Kestrix::Tester
