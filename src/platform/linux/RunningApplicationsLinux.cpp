// Running applications from /proc: each process of the user, with the identifier of the
// bundle that its executable lies in.
#include "platform/BundleInfo.h"
#include "platform/RunningApplications.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <map>
#include <string>

namespace zembra::platform {

namespace {

// The link of a process whose executable was deleted reads "PATH (deleted)"; a name
// that really ends so is kept whole: the path names the very file the process runs.
std::string executablePath(const std::string &procDir, std::string linkText) {
    static const std::string kDeleted = " (deleted)";
    struct stat running, named;
    if (stat((procDir + "/exe").c_str(), &running) == 0 && stat(linkText.c_str(), &named) == 0 &&
        running.st_dev == named.st_dev && running.st_ino == named.st_ino)
        return linkText;
    if (linkText.size() > kDeleted.size() &&
        linkText.compare(linkText.size() - kDeleted.size(), kDeleted.size(), kDeleted) == 0)
        linkText.resize(linkText.size() - kDeleted.size());
    return linkText;
}

} // namespace

std::vector<RunningApplication> runningApplications() {
    std::vector<RunningApplication> out;
    DIR *proc = opendir("/proc");
    if (!proc)
        return out;
    const uid_t me = getuid();
    std::map<std::filesystem::path, std::optional<QString>> identifiers;
    while (const dirent *d = readdir(proc)) {
        if (!std::isdigit(static_cast<unsigned char>(d->d_name[0])))
            continue;
        const std::string dir = std::string("/proc/") + d->d_name;
        struct stat st;
        if (stat(dir.c_str(), &st) != 0 || st.st_uid != me)
            continue;
        RunningApplication app;
        app.pid = std::strtol(d->d_name, nullptr, 10);
        char buf[4096];
        const ssize_t n = readlink((dir + "/exe").c_str(), buf, sizeof buf - 1);
        if (n > 0) {
            app.executable = executablePath(dir, std::string(buf, size_t(n)));
            if (const auto bundle = enclosingApplicationBundle(app.executable)) {
                auto it = identifiers.find(*bundle);
                if (it == identifiers.end()) {
                    const auto info = BundleInfo::read(*bundle);
                    it = identifiers.emplace(*bundle, info ? info->identifier() : std::nullopt)
                             .first;
                }
                app.bundleIdentifier = it->second;
            }
        }
        out.push_back(std::move(app));
    }
    closedir(proc);
    return out;
}

QString userName() {
    if (const passwd *pw = getpwuid(geteuid()); pw && pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    return QString::fromLocal8Bit(qgetenv("USER"));
}

} // namespace zembra::platform
