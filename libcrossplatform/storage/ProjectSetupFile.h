#pragma once
// Project setup files: a bare serialized project, or an SQLite database whose table "Project" holds the
// serialized project in column "object" of row 1.
#include <cstdint>
#include <string>
#include <vector>

#include "storage/Core.h"

namespace Project {

// True when the bytes start like an SQLite database.
bool isSqliteDatabase(const std::vector<uint8_t>& bytes);

// The blob of row 1 of table "Project", column "object"; false with a reason when there is none.
bool readSetupDatabase(const std::string& path, std::vector<uint8_t>& blob, std::string& error);
// A new database file holding `blob` in row 1 (replaces an existing file).
bool writeSetupDatabase(const std::string& path, const std::vector<uint8_t>& blob, std::string& error);

// Decodes the serialized project at the start of the buffer.
bool decodeProject(const std::vector<uint8_t>& blob, Core& out, std::string& error);
// Reads either kind of file.
bool loadProjectFile(const std::string& path, Core& out, std::string& error);

// The serialized project; false with the reason (and nothing in `out`) for a project that would not read
// back, so that it never reaches a file or a tester.
bool encodeProject(const Core& project, std::vector<uint8_t>& out, std::string& error);

}  // namespace Project
