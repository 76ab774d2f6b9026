#pragma once
// The viewer's HTML pages, built from a library snapshot and the import state; every text from a result or a
// tester is escaped on its way in. No page holds a script of its own: kestrix.js reads what it needs from
// data attributes.
#include <string>
#include <vector>

#include "ImportController.h"
#include "Library.h"
#include "RecordSource.h"
#include "Selection.h"

namespace kx::serve {

// What the home page shows of the tester link; none when no tester can be reached from this viewer.
struct TesterPanel {
    bool available = false;  // an importer is attached
    bool watch = false;
    std::string configured;  // the --ip address, "" for discovery
    ImportController::Snapshot snapshot;
};

// A page around `body`: head, header with the search box, the body.
std::string page(const std::string& title, const std::string& body, const std::string& token = "");
std::string errorPage(int status, const std::string& message);

// One line on the tester: where it is, what it holds and what the first folder lacks.
std::string testerLine(const TesterPanel& tester, const Library& library);

std::string homePage(const Library& library, const TesterPanel& tester, const std::string& token);
std::string linksPage(const Library& library, const Selection& selection, const SelectionResult& result);

// An OTDR trace the record offers as an SR-4731 download.
struct SorTrace {
    int end = 0;
    int wavelength = 0;
};
std::string recordPage(const Library& library, size_t pos, const RecordContent& content,
                       const std::vector<SorTrace>& traces);

// Link to the links table with these query parameters.
std::string linksHref(const Params& query);

// "12,345".
std::string thousands(size_t n);

}  // namespace kx::serve
