// The tester link's worker: progress while an import runs, one import at a time, and with watching, an import
// each time a tester appears (not while it stays).
#include "ServeTesting.h"

#include "serve/ScriptedImporter.h"

using kx::test::ScriptedImporter;
using namespace std::chrono_literals;

namespace {

template <class F>
bool waitFor(F done) {
    for (int i = 0; i < 1000; ++i) {
        if (done()) return true;
        std::this_thread::sleep_for(5ms);
    }
    return false;
}

struct Fixture {
    explicit Fixture(bool watch, bool attached = true, bool hold = false) {
        auto imp = std::make_unique<ScriptedImporter>();
        importer = imp.get();
        importer->attached = attached;
        importer->hold = hold;
        ImportController::Options o;
        o.folder = "/lib";
        o.periodic = true;
        o.watch = watch;
        o.interval = 10ms;
        controller = std::make_unique<ImportController>(std::move(imp), o, [this] { ++reloads; });
        controller->start();
    }
    ScriptedImporter* importer;
    std::atomic<int> reloads{0};
    std::unique_ptr<ImportController> controller;
};

TEST(ImportController, ProgressIsVisibleWhileTheImportRuns) {
    Fixture f(false, true, true);
    std::string why;
    ASSERT_TRUE(waitFor([&] { return f.controller->snapshot().probed; }));
    EXPECT_EQ(f.controller->snapshot().tester.missing, 2u);
    ASSERT_TRUE(f.controller->requestImport(why)) << why;
    ASSERT_TRUE(waitFor([&] { return f.controller->snapshot().progress.done == 2; }));
    const auto during = f.controller->snapshot();
    EXPECT_EQ(during.state, ImportController::ImportState::running);
    EXPECT_EQ(during.progress.total, 3u);
    EXPECT_EQ(during.progress.phase, "record 2");
    EXPECT_FALSE(f.controller->requestImport(why));
    EXPECT_EQ(why, "an import is running already");
    f.importer->release();
    ASSERT_TRUE(waitFor([&] { return f.controller->snapshot().imports == 1; }));
    const auto after = f.controller->snapshot();
    EXPECT_EQ(after.state, ImportController::ImportState::done);
    EXPECT_EQ(after.outcome.message, "3 of 3 records imported: 2 new, 1 already there, 0 failed");
    EXPECT_EQ(f.reloads.load(), 1);
    f.controller->stop();
    EXPECT_EQ(f.importer->lastAddress, "127.0.0.1:2222");
    EXPECT_EQ(f.importer->lastFolder, "/lib");
    EXPECT_EQ(f.importer->probedFolder, "/lib");
}

TEST(ImportController, NoImportWithoutATesterAndWatchingImportsEachTimeOneAppears) {
    Fixture f(true, false);
    ASSERT_TRUE(waitFor([&] { return f.importer->probes >= 3; }));
    EXPECT_EQ(f.controller->snapshot().imports, 0u);
    std::string why;
    EXPECT_FALSE(f.controller->requestImport(why));
    EXPECT_EQ(why, "no tester is attached");
    f.importer->set(true);
    ASSERT_TRUE(waitFor([&] { return f.controller->snapshot().imports == 1; }));
    // Still there after many probes: no second import.
    const int probes = f.importer->probes.load();
    ASSERT_TRUE(waitFor([&] { return f.importer->probes >= probes + 5; }));
    EXPECT_EQ(f.controller->snapshot().imports, 1u);
    // Unplugged and plugged in again.
    f.importer->set(false);
    ASSERT_TRUE(waitFor([&] { return !f.controller->snapshot().tester.attached; }));
    f.importer->set(true);
    ASSERT_TRUE(waitFor([&] { return f.controller->snapshot().imports == 2; }));
}

TEST(ImportController, StopCancelsAHeldImport) {
    Fixture f(true, true, true);
    ASSERT_TRUE(waitFor([&] { return f.controller->snapshot().progress.done == 2; }));
    f.controller->stop();  // returns: the importer saw the cancellation
    EXPECT_EQ(f.importer->imports, 1);
}

}  // namespace
