// The plug-in removal's steps as jobs: what remained reaches the shared state on the GUI
// thread, and a remover destroyed while its deletion runs (quitting) is never written to.

#include "ScreenTestSupport.h"

#include "extensions/Bundle.h"
#include "extensions/screens/ExtensionRemover.h"
#include "grants/GrantStore.h"
#include "platform/FileSystem.h"

#include <QThreadPool>

#include <atomic>
#include <chrono>
#include <thread>

using namespace zembra;
using namespace zembra::test;

namespace {

class RemoverJob : public ExtensionScreenTest {
protected:
    void SetUp() override {
        ExtensionScreenTest::SetUp();
        bundle = plugin("Card Sync", "com.x.cardsync");
        t.file("home/Library/Preferences/com.x.cardsync.plist");
    }

    // A deletion that waits for the test, then fails for the plug-in itself (so its
    // remains are reported) and deletes the rest.
    ExtensionRemovalServices gatedDeletion() {
        ExtensionRemovalServices services;
        services.removeItem =
            [gate = gate, bundle = bundle,
             scope = grants::GrantStore(settings.store()).deletionScope()](const fs::path &path) {
                gate->entered = true;
                while (!gate->released)
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
                return path != bundle && scope.remove(path);
            };
        return services;
    }

    // Searches, then deletes everything found.
    void searchAndDelete(ExtensionRemover &remover) {
        int found = 0;
        QObject::connect(&remover, &ExtensionRemover::foundReady, &remover, [&found] { ++found; });
        ASSERT_TRUE(remover.start(Bundle(settings.store()).plugin(bundle)));
        ASSERT_TRUE(waitFor([&] { return found == 1; }));
        ASSERT_FALSE(remover.found().files.empty());
        remover.remove(remover.found().files);
    }

    struct Gate {
        std::atomic<bool> entered{false};
        std::atomic<bool> released{false};
    };
    std::shared_ptr<Gate> gate = std::make_shared<Gate>();
    fs::path bundle;
};

} // namespace

TEST_F(RemoverJob, RemainsReachTheStateWithFinished_ARemoverDestroyedMidDeletionWritesNothing) {
    SharedState state;
    {
        ExtensionRemover remover(ExtensionRemover::Kind::Plugin, settings.store(), state, nullptr,
                                 gatedDeletion());
        int finished = 0;
        QObject::connect(&remover, &ExtensionRemover::finished, &remover, [&] { ++finished; });
        searchAndDelete(remover);
        ASSERT_TRUE(waitFor([&] { return gate->entered.load(); }));
        EXPECT_TRUE(state.remainder_urls().empty());
        EXPECT_TRUE(remover.isBusy());
        gate->released = true;
        ASSERT_TRUE(waitFor([&] { return finished == 1; }));
        ASSERT_FALSE(state.remainder_urls().empty());
        EXPECT_EQ(state.remainder_urls().front().path(), bundle);
        EXPECT_FALSE(remover.isBusy());
    }
    SCOPED_TRACE("destroyed while deleting (quitting)");
    gate = std::make_shared<Gate>();
    auto remover = std::make_unique<ExtensionRemover>(
        ExtensionRemover::Kind::Plugin, settings.store(), state, nullptr, gatedDeletion());
    searchAndDelete(*remover);
    ASSERT_TRUE(waitFor([&] { return gate->entered.load(); }));
    const std::vector<FileEntry> untouched{FileEntry::word(QStringLiteral("untouched"))};
    state.setRemainder_urls(untouched);
    remover.reset();
    gate->released = true;
    QThreadPool::globalInstance()->waitForDone();
    settle();
    EXPECT_EQ(state.remainder_urls(), untouched);
    EXPECT_TRUE(platform::itemExists(bundle)) << "the failing deletion of the plug-in itself";
}
