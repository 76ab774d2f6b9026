#pragma once
// The tester commands of the CLI (discover, sh, ls, get, put); what tests call directly.
#include <ostream>
#include <string>

#include "TesterLink.h"

namespace kx::cli {

// `kestrix ls`: size and name of each entry, or a JSON array of {"name", "size"}. Throws BadInput with the
// tester's own first line when it refuses the folder; only an empty reply or a bare "total" line is an empty
// folder.
void listTesterFolder(const TesterLink& o, const std::string& folder, std::ostream& out, bool json = false);

}  // namespace kx::cli
