#pragma once
// Reading the tester's SQLite files (the master database, project setup files) from memory. The bytes come
// from the tester or from a user: they are opened read-only, without a file, and each query has a bound
// on the work SQLite may do, so a crafted database fails instead of stalling.
#include <cstdint>
#include <string>
#include <vector>

#include <boost/optional.hpp>

namespace Kestrix::Tester {

// The non-empty values of column "name" of table "Projects", in table order; none when the bytes are not
// such a database.
boost::optional<std::vector<std::string>> projectNamesFromMaster(const std::vector<uint8_t>& database);

// Column "object" of row 1 of table "Project"; none when missing, NULL or empty.
boost::optional<std::vector<uint8_t>> projectBlobFromSetupFile(const std::vector<uint8_t>& database);

}  // namespace Kestrix::Tester
