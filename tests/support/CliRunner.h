#pragma once
// Runs the built `zembra` command line on a test tree, as a separate process.

#include "support/TreeBuilder.h"

#include <QJsonArray>
#include <QJsonObject>

#include <string>
#include <vector>

namespace zembra::test {

struct CliRun {
    int status = -1;
    std::string out, err;
    QJsonObject json() const;
};

// The entry of `path` in a JSON list of files; an empty object when it is not there.
QJsonObject entryOf(const QJsonArray &files, const fs::path &path);

// Stdin from /dev/null (no terminal), a settings folder and HOME of its own inside the
// tree; as the unprivileged test user when asked; stdout to `stdoutTo` when given.
CliRun runCli(const TreeBuilder &t, std::vector<std::string> args, bool asTestUser = false,
              const char *stdoutTo = nullptr);
// The same, granted the tree's "Applications" folder and its home "Users/me".
CliRun runGranted(const TreeBuilder &t, std::vector<std::string> args, bool asTestUser = false,
                  const char *stdoutTo = nullptr);

// True when the unprivileged test user may run the built command line: a build inside a
// private folder (a clone in a 0700 home, tested as root) is out of its reach.
bool testUserCanRunCli();
// Skips the test when the test user cannot run the command line.
#define ZEMBRA_TEST_USER_RUNS_CLI_OR_SKIP()                                                        \
    if (zembra::test::testUserCanRunCli()) {                                                       \
    } else                                                                                         \
        GTEST_SKIP() << "the unprivileged test user cannot run the built command line (a folder "  \
                        "above it is "                                                             \
                        "private)"

} // namespace zembra::test
