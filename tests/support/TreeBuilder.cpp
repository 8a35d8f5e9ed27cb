#include "support/TreeBuilder.h"

#include "grants/GrantKeys.h"
#include "grants/GrantStore.h"

#include <gtest/gtest.h>

#include <fstream>
#include <pwd.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace zembra::test {

namespace {
std::string key(const std::string &k, const std::string &v) {
    return v.empty() ? std::string() : "<key>" + k + "</key><string>" + v + "</string>\n";
}
} // namespace

std::string xmlPlist(const std::string &dictBody) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">\n<dict>\n" +
           dictBody + "</dict>\n</plist>\n";
}

std::string safariList(const std::string &entries, const std::string &rest) {
    return xmlPlist("<key>Installed Extensions</key><array>" + entries + "</array>" + rest);
}

std::string safariEntry(const std::string &archive, const std::string &identifier,
                        const std::string &extra) {
    return "<dict><key>Archive File Name</key><string>" + archive +
           "</string><key>Bundle Identifier</key><string>" + identifier + "</string>" + extra +
           "</dict>";
}

size_t entryCount(const fs::path &folder) {
    return size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

std::string readFile(const fs::path &file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

fs::path fixturePath(const std::string &relative) {
    const fs::path path = fs::path(ZEMBRA_TESTDATA) / relative;
    std::error_code ec;
    if (!fs::exists(path, ec))
        ADD_FAILURE() << "test fixture missing: " << path
                      << " (tests/data is part of the repository)";
    return path;
}

std::string readFixture(const std::string &relative) {
    return readFile(fixturePath(relative));
}

namespace {
bool nobody(uid_t &uid, gid_t &gid) {
    const passwd *pw = getpwnam("nobody");
    if (!pw)
        return false;
    uid = pw->pw_uid;
    gid = pw->pw_gid;
    return true;
}
} // namespace

bool handToTestUser(const fs::path &tree) {
    uid_t uid;
    gid_t gid;
    if (geteuid() != 0)
        return true;
    if (!nobody(uid, gid))
        return false;
    if (lchown(tree.c_str(), uid, gid) != 0)
        ADD_FAILURE() << "chown " << tree;
    for (const auto &e : fs::recursive_directory_iterator(tree))
        if (lchown(e.path().c_str(), uid, gid) != 0)
            ADD_FAILURE() << "chown " << e.path();
    return runAsTestUser([&] { return access(tree.c_str(), R_OK | W_OK | X_OK) == 0; });
}

void makeUnreadableForTestUser(const fs::path &folder) {
    if (geteuid() == 0 && lchown(folder.c_str(), 0, 0) != 0)
        ADD_FAILURE() << "chown " << folder;
    fs::permissions(folder, geteuid() == 0 ? fs::perms(0700) : fs::perms::none);
}

void makeReadOnlyForTestUser(const fs::path &folder) {
    if (geteuid() == 0 && lchown(folder.c_str(), 0, 0) != 0)
        ADD_FAILURE() << "chown " << folder;
    fs::permissions(folder, fs::perms(0555));
}

bool becomeTestUser() {
    uid_t uid;
    gid_t gid;
    if (geteuid() != 0)
        return true;
    return nobody(uid, gid) && setgid(gid) == 0 && setuid(uid) == 0;
}

bool runAsTestUser(const std::function<bool()> &check) {
    if (geteuid() != 0)
        return check();
    const pid_t pid = fork();
    if (pid == 0)
        _exit(becomeTestUser() && check() ? 0 : 1);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TreeBuilder::TreeBuilder() {
    EXPECT_TRUE(m_dir.isValid());
    m_root = fs::path(m_dir.path().toStdString());
}

namespace {
// Folders a test made unreadable are opened again so the tree can go.
void makeRemovable(const fs::path &folder) {
    std::error_code ec;
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ec);
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_directory(ec) && !it->is_symlink(ec))
            makeRemovable(it->path());
}
} // namespace

TreeBuilder::~TreeBuilder() {
    // By bytes: the temporary folder's own removal goes through text and leaves names that
    // are not UTF-8 (and the folders holding them) behind.
    std::error_code ec;
    makeRemovable(m_root);
    fs::remove_all(m_root, ec);
}

fs::path TreeBuilder::app(const std::string &relative, const std::string &identifier,
                          const std::string &name, const std::string &executable,
                          const std::string &iconFile) {
    return bundleWithPlist(
        relative,
        xmlPlist(key("CFBundleIdentifier", identifier) + key("CFBundleName", name) +
                 key("CFBundleExecutable", executable) + key("CFBundleIconFile", iconFile)));
}

fs::path TreeBuilder::bundleWithPlist(const std::string &relative, const std::string &plistBytes) {
    const fs::path bundle = m_root / relative;
    fs::create_directories(bundle / "Contents");
    std::ofstream(bundle / "Contents" / "Info.plist", std::ios::binary) << plistBytes;
    return bundle;
}

fs::path TreeBuilder::file(const std::string &relative, const std::string &content) {
    const fs::path p = m_root / relative;
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << content;
    return p;
}

fs::path TreeBuilder::dir(const std::string &relative) {
    const fs::path p = m_root / relative;
    fs::create_directories(p);
    return p;
}

void TreeBuilder::entries(std::initializer_list<std::string> relatives) {
    for (const std::string &relative : relatives) {
        if (!relative.empty() && relative.back() == '/')
            dir(relative);
        else
            file(relative);
    }
}

fs::path TreeBuilder::link(const std::string &relative, const fs::path &target) {
    const fs::path p = m_root / relative;
    fs::create_directories(p.parent_path());
    fs::create_symlink(target, p);
    return p;
}

TestSettings::TestSettings()
    : m_store(std::make_unique<platform::SettingsStore>(m_dir.path() +
                                                        QStringLiteral("/settings.conf"))) {
    // What the code under test keeps beside the stores (removal marks, the watcher's
    // snapshot) goes to a folder of this test process, never the user's settings.
    static QTemporaryDir processSettings;
    platform::SettingsStore::setFolder(processSettings.path());
}

void TestSettings::grant(const QString &key, const fs::path &folder) {
    grants::GrantStore(*m_store).createGrant(key, folder);
}

void TestSettings::grantTree(const TreeBuilder &tree, const std::string &home, bool wholeDisk) {
    grant(grants::kApplications, tree / "Applications");
    grant(grants::kHome, tree / home);
    if (wholeDisk)
        grant(grants::kMacOS, tree.root());
}

} // namespace zembra::test
