// The applications list: its filter, the choice it hands over, its icons and hostile names,
// and the list while its bundles are still being read.
#include "GuiFixture.h"
#include "ScreenProbes.h"

#include "catalogue/Application.h"
#include "catalogue/screens/ApplicationsRowView.h"
#include "catalogue/screens/ApplicationsViewController.h"
#include "platform/Workspace.h"
#include "shell/NotificationCenter.h"
#include "shell/ScreenNames.h"
#include "shell/WindowController.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QSemaphore>
#include <QTest>
#include <QThreadPool>

#include <atomic>
#include <fstream>

using namespace zembra;
namespace fs = std::filesystem;

namespace {

// An .icns file holding one 32-pixel PNG picture.
void writeIcns(const fs::path &file, QColor colour) {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    const auto be32 = [](qsizetype v) {
        const char bytes[] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
        return QByteArray(bytes, 4);
    };
    const QByteArray entry = "ic11" + be32(8 + png.size()) + png;
    const QByteArray icns = "icns" + be32(8 + entry.size()) + entry;
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary).write(icns.constData(), icns.size());
}

class CountingWorkspace : public platform::Workspace {
public:
    QIcon iconForFile(const fs::path &path) override {
        ++calls;
        return platform::Workspace::iconForFile(path);
    }
    int calls = 0;
};

class ApplicationsList : public test::GuiTest {
protected:
    ApplicationsList() {
        grantBoth();
        tree.app("Applications/Sketchpad.app", "com.lumina.sketchpad", "Sketchpad", "Sketchpad",
                 "AppIcon.icns");
        writeIcns(tree / "Applications/Sketchpad.app/Contents/Resources/AppIcon.icns", Qt::red);
        for (const char *name : {"Safari", "Café", "Notes"})
            tree.app(std::string("Applications/") + name + ".app",
                     std::string("com.example.") + name[0]);
    }
    void open() {
        post(screens::kApplicationsViewController);
        list = find<QListView>(screen(), "tableviewA");
        ASSERT_NE(list, nullptr);
    }
    QStringList rows() const { return test::labels(list->model()); }
    void type(const QString &text) { find<QLineEdit>(screen(), "search_field")->setText(text); }
    QString chosen() const {
        const auto i = delegate->state().item();
        return i && i->label() ? *i->label() : QString();
    }

    QListView *list = nullptr;
};

} // namespace

TEST_F(ApplicationsList, FilterIgnoresCaseAndAccents_ChoiceKeptThroughIt_IconFromItsIcns) {
    open();
    const QStringList all = {"Café", "Notes", "Safari", "Sketchpad"};
    EXPECT_EQ(rows(), all);
    EXPECT_EQ(openScene("zembra::InstalledappsViewController"), nullptr);
    const std::pair<const char *, QStringList> filters[] = {
        {"saf", {"Safari"}}, {"SAF", {"Safari"}}, {"cafe", {"Café"}}, {"zzz", {}}, {"", all}};
    for (const auto &[typed, shown] : filters) {
        type(typed);
        EXPECT_EQ(rows(), shown) << typed;
    }

    const QIcon icon = list->model()->index(3, 0).data(Qt::DecorationRole).value<QIcon>();
    EXPECT_EQ(icon.pixmap(32).toImage().pixelColor(16, 16), QColor(Qt::red));
    // A bundle without an icon resource still shows an application icon.
    EXPECT_FALSE(list->model()->index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());

    auto *next = find<QAbstractButton>(screen(), "switch_next");
    EXPECT_FALSE(next->isEnabled());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(3, 0)).center());
    EXPECT_EQ(chosen(), QStringLiteral("Sketchpad")) << "handed over at selection time";
    type("s");   // Sketchpad moves to another row
    type("zzz"); // and then out of the list
    ASSERT_TRUE(next->isEnabled()) << "a filter keeps the next button's state";
    next->click();
    settle();
    EXPECT_EQ(reviewsShown, 1);
    EXPECT_EQ(chosen(), QStringLiteral("Sketchpad"));

    SCOPED_TRACE("emptied folder");
    fs::remove_all(tree / "Applications");
    fs::create_directories(tree / "Applications");
    open();
    EXPECT_NE(openScene("zembra::InstalledappsViewController"), nullptr);
}

TEST_F(ApplicationsList, LongList_IconsDecodedForRowsOnScreen_HostileNameEscaped) {
    for (int i = 0; i < 200; ++i)
        tree.app("Applications/More/App " + std::to_string(i) + ".app",
                 "com.x.app" + std::to_string(i));
    tree.app("Applications/Evil\nName\u202egnp.exe.app", "com.x.evil");
    CountingWorkspace counting;
    platform::Workspace::setShared(&counting);
    open();
    window().grab();
    EXPECT_GT(counting.calls, 0);
    EXPECT_LE(counting.calls, list->viewport()->height() / ApplicationsRowView::kRowHeight + 2);
    list->scrollToBottom();
    window().grab();
    const int afterScroll = counting.calls;
    list->scrollToTop();
    window().grab();
    EXPECT_EQ(counting.calls, afterScroll) << "icons already decoded are kept";
    platform::Workspace::setShared(nullptr);

    // In the row, its tooltip and its spoken name.
    const QString evil = QStringLiteral("Evil\\nName\\u202egnp.exe");
    const int row = int(rows().indexOf(evil));
    ASSERT_GE(row, 0) << rows().join('|').toStdString();
    EXPECT_EQ(list->model()->index(row, 0).data(Qt::ToolTipRole).toString(), evil);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(list)->child(row)->text(QAccessible::Name),
              evil);
}

// --- While the bundles are still being read ---------------------------------------------
// The worker is held after each batch until the test lets the next one through, so every
// state a user may meet mid-load is reached on purpose.

namespace {

// Reads the real bundles, three at a time, and waits before handing over each batch after
// the first until the test lets one through (or the read is cancelled). The reader holds a
// share of the gate: a worker still held when the test ends outlives the fixture.
struct Gate {
    QSemaphore open;
    std::atomic<int> handed{0};
};

class ApplicationsLoading : public test::GuiTest {
protected:
    ApplicationsLoading() {
        grantBoth();
        // Read first (the folder sorts before the top-level bundles), shown last.
        for (const char *name : {"Zeta One", "Zeta Two", "Zeta Three"})
            tree.app(std::string("Applications/A Folder/") + name + ".app",
                     std::string("com.z.") + name);
        for (const char *name : {"Alpha", "Beta", "Delta", "Epsilon", "Gamma", "Kappa", "Lambda"})
            tree.app(std::string("Applications/") + name + ".app", std::string("com.g.") + name);
        ApplicationsViewController::setReader(
            [gate = gate](const ApplicationsQuery &query, size_t,
                          const std::function<void(ApplicationList)> &report,
                          const std::function<bool()> &cancelled) {
                Application::readApplications(
                    query, 3,
                    [&](ApplicationList batch) {
                        while (gate->handed > 0 && !gate->open.tryAcquire(1, 5) && !cancelled()) {
                        }
                        report(std::move(batch));
                        ++gate->handed;
                    },
                    cancelled);
            });
    }
    // A worker still held is cancelled when the fixture destroys the window.
    ~ApplicationsLoading() override { ApplicationsViewController::setReader({}); }

    // Opens the list without waiting for the whole read, as a user sees it at once.
    void open() {
        QApplication::setActiveWindow(&window());
        NotificationCenter::defaultCenter().post(screens::kApplicationsViewController);
        list = find<QListView>(screen(), "tableviewA");
        ASSERT_NE(list, nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return list->model()->rowCount() == 3; }, 10000));
    }
    // Lets `batches` more through and takes what they brought.
    void arrive(int batches) {
        const int handed = gate->handed + batches;
        gate->open.release(batches);
        EXPECT_TRUE(QTest::qWaitFor([&] { return gate->handed >= handed; }, 10000));
        QCoreApplication::sendPostedEvents();
    }
    bool loading() {
        auto *label = find<QLabel>(screen(), "loading");
        return label && label->isVisibleTo(screen());
    }
    QStringList rows() const { return test::labels(list->model()); }
    QStringList serialRead() {
        QStringList out;
        for (const auto &item : Application(settings.store()).installedApplications())
            out << item->label().value_or(QString());
        return out;
    }
    void press(Qt::Key key) {
        QTest::keyClick(list, key);
        QCoreApplication::sendPostedEvents();
    }

    std::shared_ptr<Gate> gate = std::make_shared<Gate>();
    QListView *list = nullptr;
};

} // namespace

TEST_F(ApplicationsLoading, FirstRowsShowAtOnce_SearchFiltersWhatArrives_FinalListIsTheSerialRead) {
    open();
    const QStringList zetas{"Zeta One", "Zeta Three", "Zeta Two"};
    EXPECT_EQ(rows(), zetas);
    EXPECT_TRUE(loading()) << "the side column says the list is still being read";
    EXPECT_EQ(openScene("zembra::InstalledappsViewController"), nullptr)
        << "a list still loading is not called empty";

    // Typed while loading: narrows what has arrived and what arrives.
    QTest::keyClicks(find<QLineEdit>(screen(), "search_field"), "ta");
    EXPECT_EQ(rows(), zetas);
    arrive(1);
    const QStringList filtered = QStringList{"Beta", "Delta"} + zetas;
    EXPECT_EQ(rows(), filtered);
    gate->open.release(1000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !loading(); }, 10000));
    EXPECT_EQ(rows(), filtered);
    find<QLineEdit>(screen(), "search_field")->clear();
    EXPECT_EQ(rows(), serialRead()) << "the same list, in the same order, as one read gives";
}

TEST_F(ApplicationsLoading, RowsArriveAboveTheChosenOne_SelectionKeysAndReviewKeepTheApplication) {
    open();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(1, 0)).center());
    const auto selected = [&] {
        const auto rows = list->selectionModel()->selectedRows();
        return rows.size() == 1 && list->currentIndex() == rows.front()
                   ? rows.front().data().toString()
                   : QString();
    };
    ASSERT_EQ(selected(), QStringLiteral("Zeta Three"));

    // Alpha, Beta and Delta go in above it: the row under the click moves, the choice not.
    arrive(1);
    ASSERT_EQ(rows().size(), 6);
    EXPECT_EQ(selected(), QStringLiteral("Zeta Three"));
    // Down goes to the row below the chosen application as it stands now.
    list->setFocus();
    press(Qt::Key_Down);
    EXPECT_EQ(selected(), QStringLiteral("Zeta Two"));
    arrive(1);
    press(Qt::Key_Up);
    EXPECT_EQ(selected(), QStringLiteral("Zeta Three"));
    arrive(1);

    // Review hands over exactly that bundle, however the rows moved meanwhile.
    find<QAbstractButton>(screen(), "switch_next")->click();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(reviewsShown, 1);
    ASSERT_NE(delegate->state().item(), nullptr);
    EXPECT_EQ(delegate->state().item()->url(), (tree / "Applications/A Folder/Zeta Three.app"));
}

TEST_F(ApplicationsLoading, LeavingWhileLoading_CancelsTheRead_NothingReachesTheOldScreen) {
    open();
    QPointer<QWidget> listScreen = screen();
    find<QAbstractButton>(screen(), "home_back")->click();
    settle();
    ASSERT_TRUE(listScreen.isNull());
    // The held worker sees the cancel and ends; what it still hands over goes nowhere.
    gate->open.release(1000);
    EXPECT_TRUE(QThreadPool::globalInstance()->waitForDone(10000));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(screenName(), QStringLiteral("zembra::HomeViewController/HomeViewController"));

    // A new visit reads afresh and completes.
    post(screens::kApplicationsViewController);
    list = find<QListView>(screen(), "tableviewA");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(rows(), serialRead());
}

// The test ends with the worker held: the fixture destroys the window (the screen, its job)
// and then the delegate, which waits for the worker. The worker must notice the cancel and
// its late batches must reach nothing destroyed.
TEST_F(ApplicationsLoading, QuitWhileLoading_WindowAndDelegateGoWhileTheWorkerIsHeld) {
    open();
    EXPECT_TRUE(loading());
}
