#pragma once
#include <ostream>
#include <string>

#include "serialization/DumpFlags.h"

namespace kx::cli {

// `kestrix project show`: a raw project blob or a project setup database, as JSON or as its text dump.
// Throws BadInput with the reason when the file holds no readable project.
void showProject(const std::string& path, bool json, const Dump::DumpFlags& flags, std::ostream& out);

}  // namespace kx::cli
