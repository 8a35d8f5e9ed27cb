#include "support/Corpus.h"

#include "support/MachOBuilder.h"

#include <fstream>
#include <sstream>

namespace zembra::corpus {

namespace {

std::string trim(const std::string &s) {
    const size_t b = s.find_first_not_of(" \t");
    const size_t e = s.find_last_not_of(" \t\r");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

std::vector<std::string> splitOn(const std::string &s, const std::string &separator) {
    std::vector<std::string> out;
    size_t at = 0;
    for (size_t next; (next = s.find(separator, at)) != std::string::npos;
         at = next + separator.size())
        out.push_back(trim(s.substr(at, next - at)));
    out.push_back(trim(s.substr(at)));
    return out;
}

std::string xmlEscape(const std::string &s) {
    std::string out;
    for (char c : s)
        out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : std::string(1, c);
    return out;
}

std::string infoPlist(const std::string &identifier, const std::string &name,
                      const std::string &executable) {
    std::string body =
        "<key>CFBundleIdentifier</key><string>" + xmlEscape(identifier) + "</string>\n";
    if (!name.empty())
        body += "<key>CFBundleName</key><string>" + xmlEscape(name) + "</string>\n";
    if (!executable.empty())
        body += "<key>CFBundleExecutable</key><string>" + xmlEscape(executable) + "</string>\n";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n" + body +
           "</dict>\n</plist>\n";
}

void writeFile(const fs::path &file, const std::string &bytes, bool executable = false) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
    if (executable)
        fs::permissions(file, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
}

// A bundle inside an application: frameworks keep their Info.plist in a version folder.
void makeInnerBundle(const fs::path &bundle, const InnerSpec &inner) {
    const std::string extension = bundle.extension().native();
    if (extension == ".framework") {
        const fs::path version = bundle / "Versions/A";
        writeFile(version / "Resources/Info.plist",
                  infoPlist(inner.identifier, inner.name, inner.name));
        writeFile(version / inner.name, std::string(512, 'f'), true);
        std::error_code ec;
        fs::create_directory_symlink("A", bundle / "Versions/Current", ec);
        fs::create_directory_symlink("Versions/Current/Resources", bundle / "Resources", ec);
        return;
    }
    // A privileged helper is a plain file named by its label.
    if (bundle.parent_path().filename() == "LaunchServices") {
        writeFile(bundle, std::string(512, 'h'), true);
        return;
    }
    writeFile(bundle / "Contents/Info.plist", infoPlist(inner.identifier, inner.name, inner.name));
    test::SignedExecutable exe;
    exe.identifier = inner.identifier;
    writeFile(bundle / "Contents/MacOS" / inner.name, test::machO(exe), true);
}

void makeEntry(const fs::path &root, const std::string &entry) {
    const size_t arrow = entry.find(" -> ");
    if (arrow != std::string::npos) {
        const fs::path link = entryPath(root, entry);
        fs::create_directories(link.parent_path());
        std::error_code ec;
        fs::create_symlink(entry.substr(arrow + 4), link, ec);
        return;
    }
    const fs::path p = entryPath(root, entry);
    if (!entry.empty() && entry.back() == '/') {
        fs::create_directories(p);
        writeFile(p / "data.db", "0123456789");
    } else {
        writeFile(p, "<plist/>");
    }
}

} // namespace

fs::path entryPath(const fs::path &root, const std::string &entry) {
    std::string e = entry.substr(0, entry.find(" -> "));
    while (!e.empty() && e.back() == '/')
        e.pop_back();
    return e.rfind("~/", 0) == 0 ? root / "Users/me" / e.substr(2) : root / e;
}

Corpus loadCorpus(const std::vector<fs::path> &files) {
    Corpus corpus;
    for (const fs::path &file : files) {
        std::ifstream in(file);
        if (!in) {
            corpus.errors.push_back(file.native() + ": cannot be read");
            continue;
        }
        const std::string set = file.stem().native();
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            line = trim(line);
            if (line.empty() || line[0] == '#')
                continue;
            const size_t space = line.find(' ');
            const std::string word = line.substr(0, space);
            const std::string rest =
                space == std::string::npos ? std::string() : trim(line.substr(space + 1));
            auto fail = [&](const std::string &what) {
                corpus.errors.push_back(file.filename().native() + ":" + std::to_string(number) +
                                        ": " + what);
            };
            if (rest.empty()) {
                fail("no value");
                continue;
            }
            if (word == "app") {
                CorpusApp app;
                app.set = set;
                app.bundle = rest;
                corpus.apps.push_back(app);
                continue;
            }
            if (word == "shared") {
                const std::vector<std::string> parts = splitOn(rest, " = ");
                SharedSpec s{parts[0], {}};
                if (parts.size() == 2) {
                    std::istringstream users(parts[1]);
                    for (std::string u; users >> u;)
                        s.users.push_back(u);
                }
                if (s.users.empty())
                    fail("a shared entry names its users");
                corpus.shared.push_back(s);
                continue;
            }
            if (word == "system") {
                corpus.system.push_back(rest);
                continue;
            }
            if (corpus.apps.empty() || corpus.apps.back().set != set) {
                fail("'" + word + "' before any app");
                continue;
            }
            CorpusApp &app = corpus.apps.back();
            if (word == "id")
                app.identifier = rest;
            else if (word == "name")
                app.name = rest;
            else if (word == "exe")
                app.executable = rest;
            else if (word == "team")
                app.team = rest;
            else if (word == "group")
                app.groups.push_back(rest);
            else if (word == "tool")
                app.tools.push_back(rest);
            else if (word == "leaves")
                app.leaves.push_back(rest);
            else if (word == "inner") {
                const std::vector<std::string> parts = splitOn(rest, " = ");
                if (parts.size() < 2 || parts[0].empty() || parts[1].empty())
                    fail("inner PATH = IDENTIFIER [= NAME]");
                else
                    app.inner.push_back(
                        {parts[0], parts[1], parts.size() > 2 ? parts[2] : std::string()});
            } else
                fail("unknown word '" + word + "'");
        }
    }
    for (CorpusApp &app : corpus.apps) {
        if (app.identifier.empty())
            corpus.errors.push_back(app.bundle + ": no id");
        if (app.name.empty())
            app.name = fs::path(app.bundle).stem().native();
        if (app.executable.empty())
            app.executable = app.name;
    }
    return corpus;
}

void buildCorpusTree(const Corpus &corpus, const fs::path &root) {
    for (const CorpusApp &app : corpus.apps) {
        const fs::path bundle = root / app.bundle;
        writeFile(bundle / "Contents/Info.plist",
                  infoPlist(app.identifier, app.name, app.executable));
        test::SignedExecutable exe;
        exe.identifier = app.identifier;
        exe.team = app.team;
        exe.groups = app.groups;
        exe.entitlements = !app.groups.empty();
        const std::string arm = test::machO(exe);
        exe.cpuType = test::kCpuX86_64;
        writeFile(bundle / "Contents/MacOS" / app.executable,
                  test::fatMachO({test::machO(exe), arm}), true);
        writeFile(bundle / "Contents/Resources/AppIcon.icns", "icns");
        for (const InnerSpec &inner : app.inner)
            makeInnerBundle(bundle / inner.path, inner);
        for (const std::string &tool : app.tools)
            writeFile(bundle / tool, std::string(256, 't'), true);
    }
    for (const SharedSpec &s : corpus.shared)
        makeEntry(root, s.path);
    for (const std::string &s : corpus.system)
        makeEntry(root, s);
    for (const CorpusApp &app : corpus.apps)
        for (const std::string &entry : app.leaves)
            makeEntry(root, entry);
    fs::create_directories(root / "Users/me/Library/Preferences");
}

} // namespace zembra::corpus
