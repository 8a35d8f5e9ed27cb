#include "leftovers/EntryLook.h"

#include <gtest/gtest.h>

using zembra::leftovers::EntryIcon;
using zembra::leftovers::entryLook;

namespace {

struct LookCase {
    const char *path;
    bool folder;
    EntryIcon icon;
    const char *name;
};

void PrintTo(const LookCase &c, std::ostream *os) {
    *os << c.path;
}

class EntryLookRules : public ::testing::TestWithParam<LookCase> {};

} // namespace

TEST_P(EntryLookRules, PathGivesIconAndName) {
    const LookCase &c = GetParam();
    const auto look = entryLook(c.path, c.folder);
    EXPECT_EQ(look.icon, c.icon) << c.path;
    EXPECT_EQ(look.name, QString::fromUtf8(c.name)) << c.path;
}

INSTANTIATE_TEST_SUITE_P(
    ThirteenRules, EntryLookRules,
    ::testing::Values(
        LookCase{"/h/Library/Logs/Foo/run.log", false, EntryIcon::Document, "run.log"},
        LookCase{"/h/Library/Application Support/Foo", true, EntryIcon::Folder, "Foo"},
        LookCase{"/Applications/Foo.app", true, EntryIcon::ItemBundle, "Foo.app"},
        LookCase{"/h/Library/PreferencePanes/Foo.prefPane", true, EntryIcon::ItemBundle,
                 "Foo.prefPane"},
        LookCase{"/h/Library/Application Support/Foo/Helper.APP", true, EntryIcon::Folder,
                 "Helper.APP"},
        LookCase{"/h/Library/Preferences/com.vendor.foo.plist", false, EntryIcon::Preferences,
                 "com.vendor.foo.plist"},
        LookCase{"/h/Library/Cookies/com.vendor.foo.binarycookies", false, EntryIcon::WebLocation,
                 "Cookie files"},
        LookCase{"/h/Library/Application Support/CrashReporter/Foo_1.plist", false,
                 EntryIcon::CrashReport, "Foo_1.plist"},
        LookCase{"/h/Library/Logs/DiagnosticReports/Foo.crash", false, EntryIcon::CrashReport,
                 "Foo.crash"},
        LookCase{"/h/Library/LaunchAgents/com.vendor.foo.plist", false, EntryIcon::LaunchAgent,
                 "com.vendor.foo.plist"},
        // A later rule wins: Preferences, then LaunchAgents.
        LookCase{"/h/Library/Preferences/LaunchAgents/x", false, EntryIcon::LaunchAgent, "x"},
        LookCase{"/Library/LaunchDaemons/com.vendor.foo.helper.plist", false,
                 EntryIcon::LaunchAgent, "com.vendor.foo.helper.plist"},
        LookCase{"/h/Library/Address Book Plug-Ins/Foo.bundle", true, EntryIcon::BundleType,
                 "Foo.bundle"},
        LookCase{"/h/Library/Caches/com.apple.helpd/Generated/com.vendor.foo", true,
                 EntryIcon::Help, "Help files"},
        LookCase{"/h/Library/Services/Foo.workflow", true, EntryIcon::Workflow, "Foo.workflow"},
        LookCase{"/h/Desktop/Foo Notes.txt", false, EntryIcon::OwnIcon, "Foo Notes.txt"},
        // Case-sensitive: "cookies" is not "Cookies".
        LookCase{"/h/Library/Caches/cookies-foo", true, EntryIcon::Folder, "cookies-foo"},
        // A cookie inside a Desktop folder: the desktop rule comes last, the name stays.
        LookCase{"/h/Desktop/Cookies/a", false, EntryIcon::OwnIcon, "Cookie files"}));

TEST(EntryLook, NameThatIsNotUtf8_ShownWithReplacementCharacter) {
    const auto look = entryLook(std::string("/h/Library/Caches/foo\xff"), true);
    EXPECT_EQ(look.icon, EntryIcon::Folder);
    EXPECT_EQ(look.name, QStringLiteral("foo\uFFFD"));
}
