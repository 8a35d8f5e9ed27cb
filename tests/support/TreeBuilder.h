#pragma once
// Builds macOS-layout trees in a temporary folder for the tests, and a settings store
// of their own (never the developer's real settings).

#include "platform/SettingsStore.h"

#include <QTemporaryDir>

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <sys/types.h>

namespace zembra::test {

namespace fs = std::filesystem;

class TreeBuilder {
public:
    TreeBuilder();
    ~TreeBuilder();
    TreeBuilder(const TreeBuilder &) = delete;
    TreeBuilder &operator=(const TreeBuilder &) = delete;

    const fs::path &root() const { return m_root; }
    fs::path operator/(const std::string &relative) const { return m_root / relative; }

    // An application bundle with an XML Info.plist; empty values are left out.
    fs::path app(const std::string &relative, const std::string &identifier,
                 const std::string &name = {}, const std::string &executable = {},
                 const std::string &iconFile = {});
    fs::path file(const std::string &relative, const std::string &content = "data");
    fs::path dir(const std::string &relative);
    // Many entries at once: a path ending in "/" is a folder, any other a file of "data".
    void entries(std::initializer_list<std::string> relatives);
    fs::path link(const std::string &relative, const fs::path &target);
    // Raw Info.plist contents for an otherwise empty bundle folder.
    fs::path bundleWithPlist(const std::string &relative, const std::string &plistBytes);

private:
    QTemporaryDir m_dir;
    fs::path m_root;
};

// A settings store on a temporary file, with the grants of a test tree.
class TestSettings {
public:
    TestSettings();
    platform::SettingsStore &store() { return *m_store; }
    operator platform::SettingsStore &() { return *m_store; }

    void grant(const QString &key, const fs::path &folder);
    // Home, Applications and, when `wholeDisk`, the root with "AllowAny" 1.
    void grantTree(const TreeBuilder &tree, const std::string &home, bool wholeDisk);

private:
    QTemporaryDir m_dir;
    std::unique_ptr<platform::SettingsStore> m_store;
};

std::string xmlPlist(const std::string &dictBody);
// Safari's list of extensions in XML: entries made by safariEntry, then `rest` of the dictionary.
std::string safariList(const std::string &entries, const std::string &rest = {});
std::string safariEntry(const std::string &archive, const std::string &identifier,
                        const std::string &extra = {});
// How many entries a folder holds (to see that no temporary file was left).
size_t entryCount(const fs::path &folder);

// Permissions do not stop root, so tests of unreadable and undeletable entries run as an
// unprivileged "test user": as root, "nobody" in a child process; otherwise ourselves.
// Hand the tree over first, then lock parts of it, then run the check.
// False when the test user cannot reach the tree (a private temporary folder above it).
[[nodiscard]] bool handToTestUser(const fs::path &tree);
void makeUnreadableForTestUser(const fs::path &folder);
void makeReadOnlyForTestUser(const fs::path &folder);
// Runs `check` as the test user; true when it returned true.
bool runAsTestUser(const std::function<bool()> &check);
// Drops to the test user in a child process after fork(); false when that failed.
bool becomeTestUser();
// Skips the test when the test user cannot reach `tree`; hands the tree over otherwise.
#define ZEMBRA_HAND_TO_TEST_USER_OR_SKIP(tree)                                                     \
    if (zembra::test::handToTestUser(tree)) {                                                      \
    } else                                                                                         \
        GTEST_SKIP() << "the unprivileged test user cannot reach the temporary folder"
std::string readFile(const fs::path &file);
// The repository's test data folder (tests/data), and one file of it; a missing file is
// reported as a test failure naming it, and reads as "".
fs::path fixturePath(const std::string &relative);
std::string readFixture(const std::string &relative);

} // namespace zembra::test
