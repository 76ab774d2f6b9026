// A request to the viewer: the path (up to the first newline) and the query. Over a folder with one record of
// each media, every answer is a page, a download or a refusal, and no answer shows tester text unescaped or
// comes from outside the folder.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "ReportRecordSource.h"
#include "Viewer.h"
#include "serve/ImportFolders.h"

namespace {

const std::string kMarker = "<b>kx-marker</b>";

kx::serve::Viewer& viewer() {
    static kx::serve::Viewer* v = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrix-fuzz-serve-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        const std::filesystem::path dir(pattern);
        kx::test::writeImportFolder(dir / "import", {{kMarker, "", kMarker, Kestrix::Sim::StockKind::copperPass},
                                                     {"P", kMarker, "L", Kestrix::Sim::StockKind::lossLength}});
        std::ofstream(dir / "outside.txt") << "kx-outside-the-folder";
        kx::serve::ViewerOptions o;
        o.folders = {(dir / "import").string()};
        auto* made = new kx::serve::Viewer(o, std::make_unique<kx::serve::ReportRecordSource>());
        if (!made->load().empty()) std::abort();
        made->readAllFacts();
        return made;
    }();
    return *v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const size_t nl = text.find('\n');
    kx::serve::Request r;
    r.method = "GET";
    r.path = "/" + text.substr(0, nl);
    if (nl != std::string::npos) r.query = kx::serve::Params::parse(text.substr(nl + 1));
    // PDF reports take long to make and read nothing of the request.
    if (r.path.find(".pdf") != std::string::npos) return 0;
    const kx::serve::Response res = viewer().handle(r);
    if (res.status < 200 || res.status > 599) std::abort();
    if (res.contentType.rfind("text/html", 0) == 0 && res.body.find(kMarker) != std::string::npos) std::abort();
    // The request may carry the outside file's words itself; a page may show them back, escaped.
    if (res.body.find("kx-outside-the-folder") != std::string::npos &&
        kx::serve::percentDecode(text, true).find("kx-outside-the-folder") == std::string::npos)
        std::abort();
    return 0;
}
