#include "support/CliRunner.h"
#include "support/TreeBuilder.h"

#include <QJsonArray>

#include <gtest/gtest.h>

#include <algorithm>

using zembra::test::CliRun;
using zembra::test::entryOf;
using zembra::test::runGranted;
using zembra::test::TreeBuilder;
namespace fs = std::filesystem;

namespace {

class SharedRowsCli : public ::testing::Test {
protected:
    void SetUp() override {
        t.app("Applications/Sketchpad.app", "com.lumina.sketchpad", "Sketchpad", "Sketchpad");
        t.app("Applications/Sketchpad 2.app", "com.lumina.sketchpad2", "Sketchpad 2",
              "Sketchpad 2");
        own = t.file(lib + "Preferences/com.lumina.sketchpad.plist", "12345");
        sibling = t.file(lib + "Preferences/com.lumina.sketchpad2.plist", "1234567");
        vendor = t.file(lib + "Caches/Lumina/Sketchpad/c.db").parent_path().parent_path();
        http = t.file(lib + "HTTPStorages/com.lumina.sketchpad.ShipIt/store.db").parent_path();
        t.app("Applications/Sketchpad.app/Contents/Library/LoginItems/Launcher.app",
              "com.other.launcher", "Launcher");
        launcher = t.dir(lib + "Containers/com.lumina.sketchpad.Launcher");
    }
    TreeBuilder t;
    const std::string lib = "Users/me/Library/";
    const std::string app = (t / "Applications/Sketchpad.app").native();
    fs::path own, sibling, vendor, http, launcher;
};

// "N entries, SIZE" of a human list's last lines.
std::pair<int, std::string> summaryOf(const std::string &out) {
    const auto at = out.rfind(" entr");
    const auto start = out.rfind('\n', at) + 1;
    const auto comma = out.find(", ", at);
    const auto end = out.find_first_of(";\n", comma);
    return {std::stoi(out.substr(start, at - start)), out.substr(comma + 2, end - comma - 2)};
}

bool has(const std::string &text, const std::string &part) {
    return text.find(part) != std::string::npos;
}

size_t occurrences(const std::string &text, const std::string &what) {
    size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

} // namespace

// Flagged, weak and related rows say why, in JSON and to people; an entry two passes found
// (a login item's container, by the application's identifier and the helper's name) is
// listed once.
TEST_F(SharedRowsCli, Leftovers_FlaggedWeakAndRelatedRowsSayWhy_EntryFoundTwiceListedOnce) {
    const fs::path storage = t.dir(lib + "HTTPStorages/com.lumina.sketchpad");
    const QJsonArray plain = runGranted(t, {"leftovers", app, "--json"}).json()["files"].toArray();
    EXPECT_TRUE(entryOf(plain, http).isEmpty()); // the related group is off by default
    const QJsonArray files =
        runGranted(t, {"leftovers", app, "--json", "--related"}).json()["files"].toArray();
    EXPECT_EQ(entryOf(files, sibling)["also"].toArray(), QJsonArray{QStringLiteral("Sketchpad 2")});
    EXPECT_TRUE(entryOf(files, sibling)["weak"].toBool());
    EXPECT_EQ(entryOf(files, own).keys(), (QStringList{"path", "size"}));
    EXPECT_EQ(entryOf(files, http)["reason"].toString(), "identifier of the same product");
    EXPECT_TRUE(entryOf(files, storage)["tied"].toBool());
    EXPECT_FALSE(entryOf(files, http)["tied"].toBool());
    EXPECT_EQ(std::count_if(files.begin(), files.end(),
                            [&](const QJsonValue &v) { return v["path"] == launcher.c_str(); }),
              1);
    const std::string human = runGranted(t, {"leftovers", app, "--related"}).out;
    for (const char *line : {"com.lumina.sketchpad2.plist  ~ weak match  ! also Sketchpad 2",
                             "Lumina  ~ weak match  ! shared with Sketchpad 2", "Possibly related",
                             "com.lumina.sketchpad.ShipIt  ? identifier of the same product"})
        EXPECT_PRED2(has, human, line);
    EXPECT_EQ(occurrences(human, "Containers/com.lumina.sketchpad.Launcher\n"), 1u) << human;
}

// The dry run lists the rows of the list in its order and says what it keeps; an included
// row is counted once, and the removal frees what the list's total said.
TEST_F(SharedRowsCli, Remove_KeepsFlaggedAndRelatedRowsUnlessIncluded_TotalIsWhatIsFreed) {
    const QJsonArray listed =
        runGranted(t, {"leftovers", app, "--json", "--related"}).json()["files"].toArray();
    const QJsonArray files = runGranted(t, {"remove", app, "--dry-run", "--json", "--related"})
                                 .json()["files"]
                                 .toArray();
    ASSERT_EQ(files.size(), listed.size());
    for (qsizetype i = 0; i < files.size(); ++i)
        EXPECT_EQ(files[i].toObject()["path"], listed[i].toObject()["path"]) << i;
    EXPECT_EQ(entryOf(files, sibling)["kept"].toString(), "also used by Sketchpad 2");
    EXPECT_EQ(entryOf(files, http)["kept"].toString(),
              "possibly related: identifier of the same product");
    EXPECT_FALSE(entryOf(files, own).contains("kept"));
    EXPECT_PRED2(has, runGranted(t, {"remove", app, "--dry-run"}).out,
                 "com.lumina.sketchpad2.plist  - kept: also used by Sketchpad 2");

    EXPECT_EQ(
        runGranted(t, {"remove", app, "--include", (t / "not/listed").native(), "--yes"}).status,
        2);
    const auto plain = summaryOf(runGranted(t, {"remove", app, "--related", "--dry-run"}).out);
    const CliRun included =
        runGranted(t, {"remove", app, "--related", "--include", http.native(), "--dry-run"});
    EXPECT_EQ(occurrences(included.out,
                          "com.lumina.sketchpad.ShipIt  ? identifier of the same product\n"),
              1u)
        << included.out;
    const auto total = summaryOf(included.out);
    EXPECT_EQ(total.first, plain.first + 1) << included.out;
    EXPECT_TRUE(fs::exists(app));

    const CliRun r =
        runGranted(t, {"remove", app, "--related", "--include", http.native(), "--yes"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(summaryOf(r.out), total);
    EXPECT_PRED2(has, r.out, "Freed " + total.second + ".");
    for (const fs::path &gone : {fs::path(app), own, http, vendor / "Sketchpad"})
        EXPECT_FALSE(fs::exists(gone)) << gone; // the related one named by --include
    EXPECT_TRUE(fs::exists(sibling));           // Sketchpad 2's
    EXPECT_TRUE(fs::exists(vendor));            // the shared vendor folder kept
}
