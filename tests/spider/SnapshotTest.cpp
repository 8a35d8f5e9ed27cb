// The watcher's memory of the installed applications, its rule for what to announce,
// and the marks that a removal through Uninstaller zembra leaves for it.

#include "catalogue/ApplicationSnapshot.h"
#include "catalogue/RemovedApplications.h"
#include "grants/GrantKeys.h"
#include "grants/GrantOverrides.h"
#include "leftovers/RemovalMarks.h"
#include "support/TreeBuilder.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace zembra;
using zembra::test::TestSettings;
using zembra::test::TreeBuilder;
namespace fs = std::filesystem;

namespace {

std::shared_ptr<ApplicationItem> app(const QString &label, const OptString &bundle,
                                     const fs::path &url = {}) {
    auto item = std::make_shared<ApplicationItem>();
    item->setLabel(label);
    item->setLabel_name(label);
    item->setBundle(bundle);
    item->setUrl(url.empty() ? fs::path("/Applications") / (label.toStdString() + ".app") : url);
    return item;
}

const fs::path kApps = "/Applications";
const auto kNever = [](const QString &) { return false; };

std::vector<QString> labels(const std::vector<std::shared_ptr<ApplicationItem>> &items) {
    std::vector<QString> out;
    for (const auto &i : items)
        out.push_back(i->label().value_or(QStringLiteral("?")));
    return out;
}

} // namespace

TEST(ApplicationSnapshot,
     RoundTrip_KeepsNullEmptyAndExactPathBytes_MissingOrGarbledReadsAsNothing) {
    TreeBuilder tree;
    auto named = app(QStringLiteral("Editor"), QStringLiteral("com.vendor.editor"));
    named->setCompany_name(QString()); // empty, not null
    named->setExecutable_info(std::nullopt);
    named->setBundle_name_info(QStringLiteral("Éditeur"));
    // Everything JSON must escape, and text beyond the first plane.
    const QString escaped =
        QStringLiteral("\"q\" \\ /\n\t") + QChar(0x01) + QChar(0x1f) + QStringLiteral("\u202e😀");
    named->setLabel_name(escaped);
    auto odd = app(QStringLiteral("Odd"), std::nullopt,
                   fs::path("/Applications/Od\xff"
                            "d.app"));
    ApplicationSnapshot snapshot{
        kApps,
        {{named, true, {}}, {odd, false, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5), Qt::UTC)}}};

    const fs::path file = tree / "remembered.json";
    ASSERT_TRUE(writeSnapshot(file, snapshot));
    const ApplicationSnapshot back = readSnapshot(file);

    EXPECT_EQ(back.applicationsFolder, kApps);
    ASSERT_EQ(back.applications.size(), 2u);
    const ApplicationItem &a = *back.applications[0].item;
    EXPECT_EQ(a.bundle(), OptString(QStringLiteral("com.vendor.editor")));
    EXPECT_EQ(a.company_name(), OptString(QString()));
    EXPECT_EQ(a.executable_info(), std::nullopt);
    EXPECT_EQ(a.bundle_name_info(), OptString(QStringLiteral("Éditeur")));
    EXPECT_EQ(a.label_name(), OptString(escaped));
    EXPECT_TRUE(back.applications[0].installed);
    const RememberedApplication &b = back.applications[1];
    EXPECT_EQ(b.item->url(), std::optional<fs::path>(fs::path("/Applications/Od\xff"
                                                              "d.app")));
    EXPECT_FALSE(b.installed);
    EXPECT_EQ(b.goneSince, snapshot.applications[1].goneSince);
    // The key of an application without identifier is its path, and it finds the record.
    const auto found = rememberedApplication(back, rememberedKey(*odd));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->label(), OptString(QStringLiteral("Odd")));
    EXPECT_FALSE(rememberedApplication(back, QStringLiteral("com.other")));

    // A missing or garbled file reads as nothing remembered.
    EXPECT_TRUE(readSnapshot(tree / "none.json").applications.empty());
    const fs::path garbled =
        tree.file("garbled.json", "{\"applications\": [1, {\"label\": 2}, \"x\"");
    EXPECT_TRUE(readSnapshot(garbled).applications.empty());
}

TEST(ApplicationSnapshot, LeftWithoutUs_RememberedAsGoneAndAnnouncedOnce) {
    const ApplicationList before{
        app(QStringLiteral("Editor"), QStringLiteral("com.vendor.editor")),
        app(QStringLiteral("Viewer"), QStringLiteral("com.vendor.viewer"))};
    const SnapshotChange first = refreshSnapshot({}, kApps, before, {}, kNever);
    EXPECT_TRUE(first.gone.empty()) << "a first look announces nothing";

    const ApplicationList after{before[1]};
    const SnapshotChange second = refreshSnapshot(first.snapshot, kApps, after, {}, kNever);
    EXPECT_EQ(labels(second.gone), std::vector<QString>{QStringLiteral("Editor")});
    const auto editor = rememberedApplication(second.snapshot, QStringLiteral("com.vendor.editor"));
    ASSERT_TRUE(editor);

    const SnapshotChange third = refreshSnapshot(second.snapshot, kApps, after, {}, kNever);
    EXPECT_TRUE(third.gone.empty()) << "a gone application is announced once";
    EXPECT_TRUE(rememberedApplication(third.snapshot, QStringLiteral("com.vendor.editor")));

    // Installed again, it is an installed application like any other.
    const SnapshotChange fourth = refreshSnapshot(third.snapshot, kApps, before, {}, kNever);
    ASSERT_EQ(fourth.snapshot.applications.size(), 2u);
    EXPECT_TRUE(fourth.snapshot.applications[0].installed &&
                fourth.snapshot.applications[1].installed);
}

TEST(ApplicationSnapshot, RemovedThroughUs_ForgottenSilently) {
    const ApplicationList before{
        app(QStringLiteral("Editor"), QStringLiteral("com.vendor.editor"))};
    const SnapshotChange first = refreshSnapshot({}, kApps, before, {}, kNever);
    QStringList asked;
    const SnapshotChange second =
        refreshSnapshot(first.snapshot, kApps, {}, {}, [&](const QString &key) {
            asked << key;
            return true;
        });
    EXPECT_TRUE(second.gone.empty());
    EXPECT_TRUE(second.snapshot.applications.empty());
    EXPECT_EQ(asked, QStringList{QStringLiteral("com.vendor.editor")});
}

TEST(ApplicationSnapshot, CopiesAndMovesWithinTheFolder_AreNotRemovals) {
    // Two copies share an identifier: removing one leaves the application installed.
    const ApplicationList two{
        app(QStringLiteral("Editor"), QStringLiteral("com.vendor.editor")),
        app(QStringLiteral("Editor copy"), QStringLiteral("com.vendor.editor"))};
    const SnapshotChange first = refreshSnapshot({}, kApps, two, {}, kNever);
    EXPECT_EQ(first.snapshot.applications.size(), 1u);
    const SnapshotChange second = refreshSnapshot(first.snapshot, kApps, {two[1]}, {}, kNever);
    EXPECT_TRUE(second.gone.empty());
    // Moved into a subfolder: same identifier, new path.
    const auto moved = app(QStringLiteral("Editor"), QStringLiteral("com.vendor.editor"),
                           "/Applications/Tools/Editor.app");
    EXPECT_TRUE(refreshSnapshot(second.snapshot, kApps, {moved}, {}, kNever).gone.empty());
}

TEST(ApplicationSnapshot, TrashArrivals_AnnouncedByIdentifierOnly) {
    const ApplicationList installed{
        app(QStringLiteral("Viewer"), QStringLiteral("com.vendor.viewer"))};
    const SnapshotChange base = refreshSnapshot({}, kApps, installed, {}, kNever);
    const fs::path trash = "/home/u/.local/share/Trash/files";
    const ApplicationList arrivals{
        app(QStringLiteral("Downloaded"), QStringLiteral("com.web.tool"), trash / "Downloaded.app"),
        app(QStringLiteral("Viewer"), QStringLiteral("com.vendor.viewer"),
            trash / "Viewer.app"), // a copy; still installed
        app(QStringLiteral("Nameless"), std::nullopt, trash / "Nameless.app"),
        app(QStringLiteral("Ours"), QStringLiteral("com.removed.byus"), trash / "Ours.app")};
    const SnapshotChange change =
        refreshSnapshot(base.snapshot, kApps, installed, arrivals, [](const QString &key) {
            return key == QLatin1String("com.removed.byus");
        });
    EXPECT_EQ(labels(change.gone), std::vector<QString>{QStringLiteral("Downloaded")});
}

TEST(ApplicationSnapshot, AnotherApplicationsFolder_AnnouncesNothing) {
    const ApplicationList before{
        app(QStringLiteral("Editor"), QStringLiteral("com.vendor.editor"))};
    const SnapshotChange first = refreshSnapshot({}, kApps, before, {}, kNever);
    const SnapshotChange other =
        refreshSnapshot(first.snapshot, "/Other/Applications", {}, {}, kNever);
    EXPECT_TRUE(other.gone.empty());
    EXPECT_TRUE(other.snapshot.applications.empty());
}

TEST(RemovalMarks, FreshMarkIsTakenOnce_StaleOrOtherMarksDoNotCount) {
    TreeBuilder tree;
    const QString folder = QString::fromStdString((tree / "settings").native());
    const auto editor = app(QStringLiteral("Editor"), QStringLiteral("com.vendor.editor"));
    ASSERT_TRUE(leftovers::markRemoval(*editor, folder));

    EXPECT_FALSE(leftovers::takeRemovalMark(QStringLiteral("com.vendor.other"), folder));
    EXPECT_TRUE(leftovers::takeRemovalMark(QStringLiteral("com.vendor.editor"), folder));
    EXPECT_FALSE(leftovers::takeRemovalMark(QStringLiteral("com.vendor.editor"), folder))
        << "taken once";

    ASSERT_TRUE(leftovers::markRemoval(*editor, folder));
    const QDateTime later = QDateTime::currentDateTimeUtc().addSecs(11 * 60);
    EXPECT_FALSE(leftovers::takeRemovalMark(QStringLiteral("com.vendor.editor"), folder, later));
    EXPECT_TRUE(fs::is_empty(leftovers::removalMarksFolder(folder))) << "stale marks are cleared";
}

TEST(GrantOverrides, GivenFolders_ShadowTheStoreAndAreNotWritten_AMissingOneIsNamed) {
    TreeBuilder tree;
    TestSettings settings;
    tree.dir("Applications");
    const auto error =
        grants::applyGrantOverrides({{"--applications", (tree / "Applications").native()},
                                     {"--root", (tree / "nothing").native()}},
                                    settings);
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("--root"), std::string::npos);
    EXPECT_EQ(settings.store().dataForKey(grants::kApplications),
              QByteArray::fromStdString((tree / "Applications").native()));
    EXPECT_EQ(settings.store().integerForKey(grants::kAllowAny), 0);
    QFile file(settings.store().fileName());
    EXPECT_FALSE(file.open(QIODevice::ReadOnly) && file.readAll().contains("Applications"));
}

TEST(ApplicationSnapshot, ManyGone_OldestForgottenFirst) {
    ApplicationList all;
    for (size_t i = 0; i <= kRememberedGoneLimit; ++i)
        all.push_back(
            app(QStringLiteral("App %1").arg(i), QStringLiteral("com.many.app%1").arg(i)));
    SnapshotChange change = refreshSnapshot({}, kApps, all, {}, kNever);
    // They leave one by one, the first one first.
    for (size_t i = 0; i < all.size(); ++i)
        change = refreshSnapshot(change.snapshot, kApps,
                                 ApplicationList(all.begin() + i + 1, all.end()), {}, kNever);
    EXPECT_EQ(change.snapshot.applications.size(), kRememberedGoneLimit);
    EXPECT_FALSE(rememberedApplication(change.snapshot, QStringLiteral("com.many.app0")));
    EXPECT_TRUE(rememberedApplication(change.snapshot, QStringLiteral("com.many.app1")));
    EXPECT_TRUE(rememberedApplication(change.snapshot,
                                      QStringLiteral("com.many.app%1").arg(kRememberedGoneLimit)));
}

TEST(RemovedApplication, OnlyAGoneRecordThatIsNotInstalledNow_OpensAReview) {
    const auto editor = app(QStringLiteral("Editor"), QStringLiteral("com.vendor.editor"));
    const auto viewer = app(QStringLiteral("Viewer"), QStringLiteral("com.vendor.viewer"));
    const auto back = app(QStringLiteral("Back"), QStringLiteral("com.vendor.back"));
    const ApplicationSnapshot snapshot{
        kApps, {{viewer, true, {}}, {editor, false, {}}, {back, false, {}}}};
    const ApplicationList installedNow{viewer, back};
    struct Case {
        const char *key;
        bool opens;
    };
    for (const Case &c : {Case{"com.vendor.editor", true}, Case{"com.vendor.viewer", false},
                          Case{"com.vendor.back", false}, Case{"com.vendor.none", false}}) {
        const auto found = removedApplication(snapshot, installedNow, QString::fromLatin1(c.key));
        EXPECT_EQ(found != nullptr, c.opens) << c.key;
        if (found) {
            EXPECT_EQ(found->label(), OptString(QStringLiteral("Editor")));
        }
    }
}

TEST(ApplicationSnapshot, ReviewOfARememberedApplication_KeepsItsPathOnlyWhileItIsThere) {
    TreeBuilder tree;
    TestSettings settings;
    const fs::path path = tree / "Applications/Sketchpad.app";
    const auto record = Application(settings).application(
        tree.app("Applications/Sketchpad.app", "com.lumina.sketchpad", "Sketchpad", "Sketchpad"));
    const ApplicationSnapshot snapshot{tree / "Applications", {{record, false, {}}}};
    const auto reviewedPath = [&] {
        const auto viaNotice =
            removedApplication(snapshot, {}, QStringLiteral("com.lumina.sketchpad"));
        const ApplicationList viaList = removedApplications(snapshot, {});
        EXPECT_EQ(viaList.size(), 1u);
        EXPECT_EQ(viaNotice->url(), viaList.empty() ? std::nullopt : viaList[0]->url());
        return viaNotice->url();
    };
    EXPECT_EQ(reviewedPath(), path); // still installed there: its bundle is its own

    fs::remove_all(path);
    EXPECT_EQ(reviewedPath(), std::nullopt);
    tree.app("Applications/Sketchpad.app", "com.other.paint", "Sketchpad", "Sketchpad");
    EXPECT_EQ(reviewedPath(), std::nullopt);

    // Without an identifier, the identity fields decide.
    fs::remove_all(path);
    const auto anonymous = Application(settings).application(
        tree.app("Applications/Sketchpad.app", "", "Sketchpad", "Sketchpad"));
    EXPECT_EQ(reviewableCopy(*anonymous)->url(), path);
    fs::remove_all(path);
    tree.app("Applications/Sketchpad.app", "", "Sketchpad", "Other");
    EXPECT_EQ(reviewableCopy(*anonymous)->url(), std::nullopt);
}
