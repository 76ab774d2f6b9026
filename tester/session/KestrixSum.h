#pragma once
// One result found on the tester while listing its databases.
#include <cstdint>
#include <string>

namespace Kestrix::Tester {

struct KestrixSum {
    std::string project;
    std::string site;  // empty unless the result's project is a site of another
    std::string id;    // cable id
    int32_t type = 0;
    int32_t status = 0;    // tester status code
    int64_t timet = 0;     // seconds since 1970
    double lengthM = 0.0;  // NaN when unknown
    std::string fileName;  // project folder, "/", file name: relative to the projects folder
    int64_t fileSize = 0;
    int64_t key = 0;  // the result's key in its project database
    // The master-table name of the database the key belongs to (the site's own name for a site).
    std::string keyProject;
    // The tester folder of that database. Keys are only unique within one project database, and names
    // need not be unique at all, so results are marked per folder.
    std::string folder;
};

// Metres from a stored scaled length; NaN for the tester's "unknown" code.
double storedLengthMeters(int64_t scaledValue, int64_t scaleFactor);

}  // namespace Kestrix::Tester
