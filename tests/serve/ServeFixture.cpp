// serve_fixture DIR: an import folder of results whose texts try to become markup or formulas, for the
// browser test.
#include <cstdio>
#include <exception>

#include "serve/ImportFolders.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: serve_fixture DIR\n");
        return 2;
    }
    using Kestrix::Sim::StockKind;
    try {
        kx::test::writeImportFolder(
            argv[1], {
                         {"Hostile <b>site</b>", "", "<img src=x onerror=alert(1)>", StockKind::copperFail, 1793100000},
                         {"<script>window.kxPwned=2</script>", "\" onmouseover=\"window.kxPwned=3",
                          "<img src=x onerror=window.kxPwned=1>", StockKind::otdrBothEnds, 1793200000},
                         {"Hostile <b>site</b>", "", "=HYPERLINK(\"http://x\")", StockKind::copperPass, 1793300000},
                     });
    } catch (const std::exception& e) {
        std::fprintf(stderr, "serve_fixture: %s\n", e.what());
        return 1;
    }
    return 0;
}
