#pragma once
// The viewer's tester link over the import job of `kestrix import`: a probe lists what the tester holds, an
// import runs the job into the viewer's first folder.
#include "Importer.h"
#include "TesterLink.h"

namespace kx::cli {

class ServeImporter : public kx::serve::Importer {
public:
    // An empty link.ip looks for the tester on the USB network link.
    ServeImporter(TesterLink link, bool mark) : _link(std::move(link)), _mark(mark) {}

    kx::serve::TesterState probe() override;
    // The job reports no progress of its own yet: the page learns when it starts and when it ends. It cannot
    // be cancelled either; a stop waits for it.
    kx::serve::ImportOutcome import(const std::string& address, const std::string& folder,
                                    const kx::serve::ImportProgressFn& progress,
                                    const std::atomic<bool>& cancel) override;

private:
    TesterLink _link;
    bool _mark;
};

}  // namespace kx::cli
