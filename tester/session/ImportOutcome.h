#pragma once
// What an import could not do, kept as data so that a caller can name every part of it: the projects or
// rows of the tester's databases that could not be listed, and per tester folder whether its imported
// results were marked.
#include <cstdint>
#include <string>

namespace Kestrix::Tester {

// A part of the tester's storage whose results are not in the listing.
struct ListingGap {
    std::string project;  // as results are listed: the parent project of a site ("" for the master database)
    std::string site;     // the site's name when the folder is a site's
    std::string folder;   // the project's folder on the tester ("" for the master database)
    std::string reason;
    int64_t records = -1;  // results the databases announce that were not listed; -1 when not known
};

// The marking of one tester folder's imported results.
struct FolderMarking {
    std::string folder;
    std::string project;    // the name the tester was (or would have been) given
    size_t keys = 0;        // results to mark
    size_t outOfRange = 0;  // results whose key the upload list cannot hold: never marked
    bool marked = false;    // the tester answered "OK"
    std::string reason;     // why not, when not
};

}  // namespace Kestrix::Tester
