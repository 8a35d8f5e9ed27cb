#pragma once
// The passes of the leftover search, in order: the folder each one reads, how, the name
// tests an entry must pass, the extra rule for the entries that match, and the group it
// fills. The matching rules are the search: change them with care.

#include <QString>

#include <cstddef>
#include <vector>

namespace zembra::leftovers::passes {

// The name keys a test compares an entry's name with.
enum class KeyId {
    Bundle,
    BundleName,
    BundleNameInfo,
    Label,
    LabelName,
    ExecutableInfo,
    CompanyName,
    CompanyCapitalized,
    ShortLabel,
    Count
};

// The groups of the result, each headed by its marker word.
enum class Group { Preferences, Supportfiles, LauchAgents, Logs, Plugins, Desktop, Other, Count };

const QString &markerOf(Group g);

// Below the home grant, or below the whole-disk grant (read only when it is allowed).
enum class Root { Home, System };
// The folder's own entries, or every entry below it (Deep6 does not enter packages).
enum class Read { Listing, Deep4, Deep6 };
enum class Extra { None, Pro, CrashReporterThenLabelDigit, CsxsExclusion, ExtensionRule };
// Passes that do not test listed names.
enum class Special { None, EnclosingFolder, DeveloperFolder, LoginItems };

struct Test {
    bool equals;
    KeyId key;
    bool reviewOnly = false; // left out of the search before a removal without review
};

struct Pass {
    Special special;
    Root root;
    const char *folder;
    Read read;
    std::vector<Test> tests;
    Extra extra;
    Group group;
    bool runsWithoutReview; // also before a removal without review
};

const std::vector<Pass> &all();

} // namespace zembra::leftovers::passes
