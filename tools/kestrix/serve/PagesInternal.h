#pragma once
// Helpers the page files share.
#include <cstdint>
#include <cstdio>
#include <string>

#include "Library.h"

namespace kx::serve {

std::string statusBadge(int hostStatus);
std::string conflictBadge();
std::string lengthCell(double meters);
// The last component of a served folder's path.
std::string folderName(const Library& library, uint32_t folder);

}  // namespace kx::serve
