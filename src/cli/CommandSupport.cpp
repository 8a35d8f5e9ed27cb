#include "cli/CommandSupport.h"

#include "cli/Output.h"
#include "grants/GrantKeys.h"
#include "grants/GrantStore.h"
#include "platform/ByteCountFormatter.h"
#include "platform/FileSystem.h"
#include "platform/VisibleText.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <unistd.h>

namespace zembra::cli {

namespace fs = std::filesystem;

namespace {

bool g_removalRan = false; // for the message when its report could not be written

} // namespace

void warn(const std::string &message) {
    print("zembra: " + platform::visiblyEscaped(std::string_view(message)).toStdString() + "\n",
          stderr);
}

bool reportUnreadable(const leftovers::SearchResult &result) {
    for (const fs::path &folder : result.unreadable)
        warn("could not read " + folder.native() + ": the leftovers in it were not searched");
    return !result.unreadable.empty();
}

int refuseIncomplete(const char *why) {
    warn(std::string(why) + ": nothing removed");
    return kRemained;
}

bool hasGrant(platform::SettingsStore &settings, const QString &key) {
    return grants::GrantStore(settings).resolve(key).folder.has_value();
}

void warnWithoutHome(platform::SettingsStore &settings) {
    if (!hasGrant(settings, grants::kHome))
        warn("no home folder is granted: leftovers in the home Library are not searched (pass "
             "--home DIR)");
}

fs::path existingItem(const std::string &given, const char *what,
                      bool (*acceptsExtension)(const QString &)) {
    const fs::path path = platform::absolutePath(given);
    if (!platform::itemExists(path))
        throw UsageError{std::string("no ") + what + " at " + given};
    const std::string article = std::string_view(what) == "application" ? "an " : "a ";
    if (!acceptsExtension(platform::pathExtension(path)))
        throw UsageError{given + " is not " + article + what + " bundle"};
    if (!platform::isRealDirectory(path))
        throw UsageError{given + " is not " + article + what + " bundle: a bundle is a folder"};
    return path;
}

bool confirmed(const Options &o, const std::string &question) {
    if (o.yes)
        return true;
    if (!isatty(STDIN_FILENO))
        throw UsageError{"no terminal to confirm the removal: pass --yes to remove without asking"};
    print(question + " [y/N] ", stderr);
    std::string answer;
    std::getline(std::cin, answer);
    return answer == "y" || answer == "Y" || answer == "yes";
}

int reportRemainder(const Options &o, const std::vector<FileEntry> &remainder, std::uint64_t freed,
                    bool withSize) {
    if (o.json) {
        std::string out = "{\"remainder_urls\": " + jsonEntries(remainder, {}, false);
        if (withSize)
            out += ", \"freed\": " + std::to_string(freed);
        print(out + "}\n");
    } else {
        if (withSize)
            print("Freed " + platform::formatByteCount(freed).toStdString() + ".\n");
        if (!remainder.empty()) {
            print("Could not remove:\n");
            for (const FileEntry &e : remainder)
                if (e.isFileURL())
                    print("  " + platform::visiblyEscaped(e.path().native()).toStdString() + "\n");
        } else {
            print("Removed.\n");
        }
    }
    return remainder.empty() ? kDone : kRemained;
}
void noteRemovalStarts() {
    g_removalRan = true;
}

int finishOutput(int status) {
    int error = stdoutError();
    if (std::fflush(stdout) != 0 && !error)
        error = errno ? errno : EIO;
    if (std::ferror(stdout) && !error)
        error = EIO;
    if (std::fclose(stdout) != 0 && !error)
        error = errno ? errno : EIO;
    if (!error)
        return status;
    warn(std::string("could not write to standard output: ") + std::strerror(error) +
         (g_removalRan ? " (the removal was carried out; its report is lost)" : ""));
    return status == kDone ? kRemained : status;
}

} // namespace zembra::cli
