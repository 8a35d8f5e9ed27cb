#include "support/UserFolders.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <sys/stat.h>

namespace zembra::test {

namespace fs = std::filesystem;

namespace {

// What the application keeps in the user's configuration folder, as the environment
// named it before the tests changed it.
fs::path realSettingsFolder() {
    const char *config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config == '/')
        return fs::path(config) / "zembra";
    const char *home = std::getenv("HOME");
    return home && *home ? fs::path(home) / ".config/zembra" : fs::path();
}

// Every entry below `folder` with its size and change time; empty when it is missing.
std::map<std::string, std::string> fingerprint(const fs::path &folder) {
    std::map<std::string, std::string> entries;
    std::error_code ec;
    const auto stamp = [&](const fs::path &p) {
        struct stat st {};
        if (lstat(p.c_str(), &st) == 0)
            entries[p.native()] = std::to_string(st.st_size) + "@" +
                                  std::to_string(st.st_ctim.tv_sec) + "." +
                                  std::to_string(st.st_ctim.tv_nsec);
    };
    stamp(folder);
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        stamp(it->path());
    return entries;
}

class IsolatedUserFolders : public ::testing::Environment {
public:
    void SetUp() override {
        m_real = realSettingsFolder();
        m_before = fingerprint(m_real);
        ASSERT_TRUE(m_home.isValid());
        const std::string home = m_home.path().toStdString();
        for (const char *sub : {"/.config", "/.local/share", "/.cache"})
            fs::create_directories(home + sub);
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
        setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
        setenv("XDG_CACHE_HOME", (home + "/.cache").c_str(), 1);
    }

    void TearDown() override {
        if (m_real.empty())
            return;
        EXPECT_EQ(fingerprint(m_real), m_before)
            << "the tests changed the user's settings folder " << m_real;
    }

private:
    QTemporaryDir m_home;
    fs::path m_real;
    std::map<std::string, std::string> m_before;
};

} // namespace

void isolateUserFolders() {
    ::testing::AddGlobalTestEnvironment(new IsolatedUserFolders);
}

} // namespace zembra::test
