#pragma once
// The viewer: routes a request to its page, download or action. Records are named by number only, never by a
// path from the request; POST actions need the run's token and a request from the viewer's own pages. Holds
// the library (read again after an import), a reader that decodes each record once for its facts, and the
// tester link.
#include <condition_variable>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Http.h"
#include "ImportController.h"
#include "Library.h"
#include "Pages.h"
#include "RecordSource.h"

namespace kx::serve {

struct ViewerOptions {
    std::vector<std::string> folders;  // the first takes imports
    std::string token;                 // "" makes one at random
    size_t maxReportRecords = 500;     // the largest selection a PDF report is made of
};

class Viewer {
public:
    Viewer(ViewerOptions options, std::unique_ptr<RecordSource> source);
    ~Viewer();
    Viewer(const Viewer&) = delete;
    Viewer& operator=(const Viewer&) = delete;

    // Reads the folders; "" or why not.
    std::string load();
    // The tester link; `configured` is the address given, "" when the tester is found by discovery.
    void attachImporter(std::unique_ptr<Importer> importer, ImportController::Options options, std::string configured);
    // The Host header values a request may carry; empty accepts any (when listening beyond loopback).
    void setAllowedHosts(std::vector<std::string> hosts) { _allowedHosts = std::move(hosts); }

    // Starts the facts reader and the tester link; stop() ends both.
    void start();
    void stop();

    Response handle(const Request& request);

    std::shared_ptr<Library> library() const;
    const std::string& token() const { return _options.token; }
    ImportController* controller() { return _controller.get(); }
    // Reads the folders again, keeping the facts of unchanged records.
    void reload();
    // Decodes every record whose facts are not known yet, on this thread.
    void readAllFacts();

private:
    Response route(const Request& request, const std::vector<std::string>& parts);
    Response recordRoute(const Request& request, const std::vector<std::string>& parts);
    Response action(const Request& request, const std::string& what);
    Response statusJson();
    Response csv(const Request& request);
    Response selectionPdf(const Request& request);
    Response pdf(const std::vector<std::string>& files, const std::string& name,
                 const Kestrix::Report::ReportOptions& options);
    // A record page's content and its traces, decoded once for both.
    struct RecordView {
        RecordContent content;
        std::vector<SorTrace> traces;
        // Plots drawn so far; one at a time per record.
        mutable std::mutex drawing;
        mutable std::vector<std::string> drawn;
    };
    std::shared_ptr<const RecordView> viewOf(const std::shared_ptr<Library>& lib, size_t pos);
    void ensureFacts(Library& lib, size_t pos);
    void factsLoop();
    bool hostAllowed(const Request& request) const;
    TesterPanel panel() const;

    ViewerOptions _options;
    std::unique_ptr<RecordSource> _source;
    std::unique_ptr<ImportController> _controller;
    std::string _configured;
    std::vector<std::string> _allowedHosts;
    RecordIds _ids;

    mutable std::mutex _mutex;
    std::condition_variable _changed;
    std::shared_ptr<Library> _library;
    uint64_t _generation = 0;
    bool _stopping = false;
    std::thread _factsThread;

    // The last record pages' content, their plots included.
    struct Cached {
        uint64_t generation;
        uint32_t id;
        std::shared_ptr<const RecordView> view;
    };
    std::mutex _cacheMutex;
    std::list<Cached> _cache;
    static constexpr size_t kCachedRecords = 8;
};

// A random token of 32 hex digits, from the system's random source.
std::string randomToken();

}  // namespace kx::serve
