#include "catalogue/Application.h"
#include "grants/GrantKeys.h"
#include "leftovers/LeftoverSearch.h"
#include "leftovers/StandardFolders.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace zembra;
using namespace zembra::leftovers;
using zembra::test::TestSettings;
using zembra::test::TreeBuilder;
namespace fs = std::filesystem;

namespace {

struct ProtectedCase {
    const char *path; // below the disk root; the home is Users/me
    bool isProtected;
};

TEST(ProtectedFolder, StandardSharedAndPerUserFolders_OnlyThemselves) {
    const fs::path disk = "/Volumes/Test";
    const std::vector<fs::path> roots = {disk / "Users/me", disk};
    const std::vector<ProtectedCase> cases = {
        // The roots and their Library folders.
        {"", true},
        {"Users/me", true},
        {"Users/me/Library", true},
        {"Library", true},
        {"Users", false},
        // Standard folders, through the home and the system Library, any case.
        {"Users/me/Library/Caches", true},
        {"Library/Caches", true},
        {"Users/me/library/CACHES", true},
        {"Users/me/Library/Caches/", true},
        {"Users/me/Library/Caches/../Caches", true},
        // The shared folders inside them, any case; what lies inside them is not protected.
        {"Users/me/Library/Preferences/ByHost", true},
        {"Users/me/Library/Preferences/BYHOST", true},
        {"Users/me/Library/Preferences/ByHost/com.vendor.app.0123456789AB.plist", false},
        {"Users/me/Library/Logs/DiagnosticReports", true},
        {"Library/Logs/diagnosticreports", true},
        {"Users/me/Library/Logs/DiagnosticReports/Editor_2024-01-01.crash", false},
        {"Users/me/Library/Logs/CrashReporter", true},
        {"Library/Logs/CrashReporter", true},
        {"Users/me/Library/Application Support/CrashReporter", true},
        {"Users/me/Library/Application Support/com.apple.sharedfilelist", true},
        {"Users/me/Library/Application Support/AddressBook", true},
        {"Users/me/Library/Application Support/CloudDocs", true},
        {"Users/me/Library/Application Support/FileProvider", true},
        {"Users/me/Library/Application Support/Knowledge", true},
        {"Users/me/Library/Application Support/MobileSync", true},
        {"Users/me/Library/Caches/CloudKit", true},
        {"Users/me/Library/Caches/com.apple.helpd", true},
        // A shared name in the wrong folder, or a standard name deeper down, is an entry.
        {"Users/me/Library/Caches/ByHost", false},
        {"Users/me/Library/Application Support/Editor/Caches", false},
        {"Users/me/Documents/Library/Caches", false},
        {"Users/me/Library/Application Support/Editor", false},
        // The per-user roots of var/folders, and what lies in them.
        {"var/folders", true},
        {"var/folders/zz", true},
        {"var/folders/zz/zyxvpxvq6csfxvn_n0000000000000", true},
        {"var/folders/xx/yyyy/C", true},
        {"var/folders/xx/yyyy/T", true},
        {"var/folders/xx/yyyy/0", true},
        {"var/folders/xx/yyyy/c", true},
        {"private/var/folders/xx/yyyy", true},
        {"var/folders/xx/yyyy/C/com.vendor.editor", false},
        {"var/folders/xx/yyyy/X", false},
        {"var/db/receipts", false}};
    for (const ProtectedCase &c : cases)
        EXPECT_EQ(isProtectedFolder(disk / c.path, roots), c.isProtected) << c.path;
}

TEST(ProtectedFolderRoots, NoRootsOrAnEmptyPath_NothingProtected) {
    EXPECT_FALSE(isProtectedFolder("/Library/Caches", {}));
    EXPECT_FALSE(isProtectedFolder("", {"/"}));
    EXPECT_TRUE(isProtectedFolder("/Library/Caches", {"/"}));
    EXPECT_FALSE(isProtectedFolder("/Other/Library/Caches", {"/Users/me"}));
}

// Markers as "#Word", files relative to the tree.
std::vector<std::string> shown(const std::vector<FileEntry> &files, const TreeBuilder &t) {
    std::vector<std::string> out;
    for (const auto &f : files)
        out.push_back(f.isFileURL() ? f.path().lexically_relative(t.root()).native()
                                    : "#" + f.absoluteString().toStdString());
    return out;
}

class SharedFoldersSearch : public ::testing::Test {
protected:
    void SetUp() override { s.grantTree(t, "Users/me", true); }

    // A record named `name` throughout, as a Safari extension or plug-in could be.
    std::shared_ptr<ApplicationItem> named(const std::string &identifier, const QString &name) {
        auto item = std::make_shared<ApplicationItem>();
        item->setUrl(
            t.dir("Users/me/Library/Safari/Extensions/" + name.toStdString() + ".safariextz"));
        item->setLabel(name);
        item->setBundle(QString::fromStdString(identifier));
        item->setBundle_name(QString::fromStdString(identifier).section(QLatin1Char('.'), -1));
        item->setBundle_name_info(name);
        item->setExecutable_info(name);
        item->setLabel_name(name);
        item->setCompany_name(QString::fromStdString(identifier).section(QLatin1Char('.'), 1, 1));
        return item;
    }
    std::vector<std::string> search(ItemRecord &item, SearchMode mode) {
        searchLeftovers(item, s, mode);
        return shown(item.files(), t);
    }
    static bool lists(const std::vector<std::string> &files, const std::string &path) {
        return std::find(files.begin(), files.end(), path) != files.end();
    }

    TreeBuilder t;
    TestSettings s;
};

} // namespace

TEST_F(SharedFoldersSearch, SharedFolderNames_NeverListedWhole_TheirEntriesStill) {
    const std::string home = "Users/me/Library/";
    for (const char *folder :
         {"Preferences/ByHost", "Logs/DiagnosticReports", "Logs/CrashReporter"}) {
        t.file(home + folder + "/com.apple.other.0123456789AB.plist");
        t.file(std::string("Library/") + folder + "/other.log");
    }
    struct Case {
        std::string identifier;
        QString name;
        std::string entry; // what matches inside the shared folder and is listed; "" none
    };
    const std::vector<Case> cases = {
        {"com.tester.ByHost", QStringLiteral("ByHost"), ""},
        {"com.tester.BYHOST", QStringLiteral("BYHOST"), ""},
        {"com.tester.DiagnosticReports", QStringLiteral("DiagnosticReports"),
         home + "Logs/DiagnosticReports/DiagnosticReports_2024.crash"},
        {"com.tester.diagnosticreports", QStringLiteral("diagnosticreports"),
         home + "Logs/DiagnosticReports/DiagnosticReports_2024.crash"},
        {"com.tester.CrashReporter", QStringLiteral("CrashReporter"),
         home + "Logs/CrashReporter/CrashReporter.log"},
    };
    for (const Case &c : cases) {
        if (!c.entry.empty())
            t.file(c.entry);
        for (SearchMode mode : {SearchMode::Review, SearchMode::WithoutReview}) {
            const auto item = named(c.identifier, c.name);
            const auto files = search(*item, mode);
            for (const char *folder :
                 {"Preferences/ByHost", "Logs/DiagnosticReports", "Logs/CrashReporter"}) {
                EXPECT_FALSE(lists(files, home + folder)) << c.identifier << " lists " << folder;
                EXPECT_FALSE(lists(files, std::string("Library/") + folder))
                    << c.identifier << " lists " << folder;
            }
            EXPECT_TRUE(c.entry.empty() || lists(files, c.entry)) << c.identifier;
        }
        if (!c.entry.empty())
            fs::remove(t / c.entry);
    }
}

TEST_F(SharedFoldersSearch, SharedFolderAlone_BringsNoMarker_ALinkInItsPlaceNeither) {
    t.dir("Users/me/Library/Preferences/ByHost");
    const auto item = named("com.tester.ByHost", QStringLiteral("ByHost"));
    EXPECT_EQ(search(*item, SearchMode::Review),
              (std::vector<std::string>{"#Executables",
                                        "Users/me/Library/Safari/Extensions/ByHost.safariextz"}));
    // A link where the shared folder should be is not listed either (deleting the link
    // would take every application's reports off their path).
    t.dir("Elsewhere/Reports");
    t.link("Users/me/Library/Logs/DiagnosticReports", t / "Elsewhere/Reports");
    const auto reports = named("com.tester.DiagnosticReports", QStringLiteral("DiagnosticReports"));
    EXPECT_EQ(
        search(*reports, SearchMode::WithoutReview),
        (std::vector<std::string>{
            "#Executables", "Users/me/Library/Safari/Extensions/DiagnosticReports.safariextz"}));
}
