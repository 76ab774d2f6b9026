#pragma once
// The viewer's tester link over the library's import job: a probe lists what the tester holds and counts what
// an incremental import into the folder would fetch, an import runs the job with the page's progress and
// cancellation.
#include "Importer.h"
#include "TesterLink.h"

namespace kx::cli {

class ServeImporter : public kx::serve::Importer {
public:
    // An empty link.ip looks for the tester on the USB network link.
    ServeImporter(TesterLink link, bool mark) : _link(std::move(link)), _mark(mark) {}

    kx::serve::TesterState probe(const std::string& folder) override;
    kx::serve::ImportOutcome import(const std::string& address, const std::string& folder,
                                    const kx::serve::ImportProgressFn& progress,
                                    const std::atomic<bool>& cancel) override;

private:
    TesterLink _link;
    bool _mark;
};

}  // namespace kx::cli
