#include "leftovers/ProtectedFolders.h"

#include "leftovers/LeftoverKeys.h"
#include "leftovers/SearchPasses.h"
#include "leftovers/StandardFolders.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cstdint>

namespace zembra::leftovers {

namespace {

namespace fs = std::filesystem;

// `folder` is `path`, or lies below it: whole components, byte for byte.
bool isOrHolds(const std::string &path, const std::string &folder) {
    if (folder.size() < path.size() || folder.compare(0, path.size(), path) != 0)
        return false;
    return folder.size() == path.size() || path.back() == '/' || folder[path.size()] == '/';
}

std::string parentOf(const std::string &path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string nameOf(const std::string &path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

ProtectedFolders::ProtectedFolders() {
    m_folders.push_back("/");
}

ProtectedFolders::ProtectedFolders(const std::vector<fs::path> &granted) : ProtectedFolders() {
    for (const fs::path &g : granted) {
        if (g.empty())
            continue;
        m_roots.push_back(platform::absolutePath(g));
        add(m_folders, g);
        add(m_libraries, g / "Library");
        for (const passes::Pass &pass : passes::all())
            if (pass.special == passes::Special::None)
                add(m_folders, g / pass.folder);
    }
}

void ProtectedFolders::add(std::vector<std::string> &to, const fs::path &folder) {
    const fs::path given = platform::absolutePath(folder);
    std::string text = given.native();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    to.push_back(text);
    std::error_code ec;
    const fs::path resolved = fs::weakly_canonical(given, ec);
    if (!ec && resolved.native() != text)
        to.push_back(resolved.native());
}

std::vector<std::string> ProtectedFolders::formsOf(const fs::path &entry) const {
    std::string given = platform::absolutePath(entry).native();
    while (given.size() > 1 && given.back() == '/')
        given.pop_back();
    std::vector<std::string> forms{given};
    const std::string parent = parentOf(given);
    if (parent.empty())
        return forms;
    auto it = m_resolvedParents.find(parent);
    if (it == m_resolvedParents.end()) {
        std::error_code ec;
        const fs::path resolved = fs::weakly_canonical(parent, ec);
        it = m_resolvedParents.emplace(parent, ec ? std::string() : resolved.native()).first;
    }
    if (!it->second.empty() && it->second != parent) {
        const std::string name = nameOf(given);
        forms.push_back(it->second == "/" ? "/" + name : it->second + "/" + name);
    }
    return forms;
}

bool ProtectedFolders::contains(const fs::path &entry) const {
    if (entry.empty())
        return true;
    for (const std::string &form : formsOf(entry)) {
        if (isProtectedFolder(fs::path(form), m_roots))
            return true;
        for (const std::string &folder : m_folders)
            if (isOrHolds(form, folder))
                return true;
        for (const std::string &library : m_libraries) {
            if (isOrHolds(form, library))
                return true;
            if (parentOf(form) == library && isStandardLibraryFolder(nameOf(form)))
                return true;
        }
    }
    return false;
}

std::vector<FileEntry> withoutProtected(const std::vector<FileEntry> &files,
                                        const ProtectedFolders &protectedFolders,
                                        std::vector<bool> *rowFlags) {
    std::vector<FileEntry> out;
    out.reserve(files.size());
    std::vector<bool> flagsOut;
    const bool withFlags = rowFlags && rowFlags->size() == files.size();
    const auto keep = [&](size_t i) {
        out.push_back(files[i]);
        if (withFlags)
            flagsOut.push_back((*rowFlags)[i]);
    };
    size_t marker = SIZE_MAX; // index in `out` of the marker heading the current group
    bool groupHadRows = false, groupKeptRows = false;
    const auto closeGroup = [&] {
        if (marker != SIZE_MAX && groupHadRows && !groupKeptRows &&
            out[marker] != FileEntry::word(kExecutables)) {
            out.erase(out.begin() + std::ptrdiff_t(marker));
            if (withFlags)
                flagsOut.erase(flagsOut.begin() + std::ptrdiff_t(marker));
        }
    };
    for (size_t i = 0; i < files.size(); ++i) {
        const FileEntry &f = files[i];
        if (!f.isFileURL()) {
            closeGroup();
            marker = out.size();
            groupHadRows = groupKeptRows = false;
            keep(i);
            continue;
        }
        groupHadRows = true;
        if (protectedFolders.contains(f.path()))
            continue;
        groupKeptRows = true;
        keep(i);
    }
    closeGroup();
    if (withFlags)
        *rowFlags = std::move(flagsOut);
    return out;
}

} // namespace zembra::leftovers
