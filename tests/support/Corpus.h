#pragma once
// A corpus of real applications' layouts (bench/corpus/*.corpus): each application's
// bundle (Info.plist fields, inner bundles with their identifiers, helper tools, the team
// and application groups of its signature) and what it leaves in the home and system
// folders, plus entries several applications share and macOS's own files. The tree
// builder lays them all out side by side below one root (the home is root/Users/me), with
// signed-looking main executables, so a review can be scored per application.
//
// Plain std::filesystem and the test support; used by the tests and by bench/.

#include <filesystem>
#include <string>
#include <vector>

namespace zembra::corpus {

namespace fs = std::filesystem;

struct InnerSpec {
    std::string path; // inside the bundle: Contents/Library/LoginItems/X.app
    std::string identifier;
    std::string name;
};

struct CorpusApp {
    std::string set; // the file it came from: "development", "held-out"
    std::string bundle;
    std::string identifier, name, executable, team;
    std::vector<std::string> groups;
    std::vector<InnerSpec> inner;
    std::vector<std::string> tools;
    std::vector<std::string> leaves; // "~/..." home, else below the root; "/" ends a folder
};

struct SharedSpec {
    std::string path;
    std::vector<std::string> users; // identifiers
};

struct Corpus {
    std::vector<CorpusApp> apps;
    std::vector<SharedSpec> shared;
    std::vector<std::string> system;
    std::vector<std::string> errors; // "file:line: what", for lines that could not be read
};

// Reads the corpus files; each file's apps get the set named after the file's stem.
Corpus loadCorpus(const std::vector<fs::path> &files);

// The absolute path of a leaves/shared/system entry below `root` ("A -> B" gives A).
fs::path entryPath(const fs::path &root, const std::string &entry);

// Builds every application, entry and system file below `root`.
void buildCorpusTree(const Corpus &corpus, const fs::path &root);

} // namespace zembra::corpus
