#include "support/CliRunner.h"

#include <QJsonDocument>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zembra::test {

QJsonObject CliRun::json() const {
    return QJsonDocument::fromJson(QByteArray::fromStdString(out)).object();
}

QJsonObject entryOf(const QJsonArray &files, const fs::path &path) {
    for (const auto &v : files)
        if (v.toObject()["path"].toString().toStdString() == path.native())
            return v.toObject();
    return {};
}

CliRun runCli(const TreeBuilder &t, std::vector<std::string> args, bool asTestUser,
              const char *stdoutTo) {
    const fs::path out = stdoutTo ? fs::path(stdoutTo) : t / ".out", err = t / ".err";
    args.insert(args.begin(), ZEMBRA_CLI_PATH);
    std::vector<char *> argv;
    for (auto &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::string config = "XDG_CONFIG_HOME=" + (t / ".config").native();
    std::string home = "HOME=" + (t / ".home").native();
    char *env[] = {config.data(), home.data(), nullptr};
    CliRun r;
    const pid_t pid = fork();
    if (pid == 0) {
        const int in = open("/dev/null", O_RDONLY);
        const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (in < 0 || o < 0 || e < 0 || dup2(in, 0) < 0 || dup2(o, 1) < 0 || dup2(e, 2) < 0)
            _exit(120);
        if (asTestUser && !becomeTestUser())
            _exit(121);
        execve(ZEMBRA_CLI_PATH, argv.data(), env);
        _exit(122);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = stdoutTo ? std::string() : readFile(out);
    r.err = readFile(err);
    return r;
}

CliRun runGranted(const TreeBuilder &t, std::vector<std::string> args, bool asTestUser,
                  const char *stdoutTo) {
    args.insert(args.end(), {"--applications", (t / "Applications").native(), "--home",
                             (t / "Users/me").native()});
    return runCli(t, std::move(args), asTestUser, stdoutTo);
}

bool testUserCanRunCli() {
    return runAsTestUser([] { return access(ZEMBRA_CLI_PATH, X_OK) == 0; });
}

} // namespace zembra::test
