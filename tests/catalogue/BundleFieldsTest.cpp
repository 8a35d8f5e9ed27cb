#include "catalogue/Application.h"
#include "extensions/Bundle.h"
#include "extensions/SafariExtension.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

#include <array>

using namespace zembra;
using zembra::test::TestSettings;
using zembra::test::TreeBuilder;

TEST(Fields, IdentifierSplitIntoBundleAndCompanyName) {
    // The identifier, then its bundle name and company name.
    const std::array<const char *, 3> cases[] = {{"com.example.FooBar", "FooBar", "example"},
                                                 {"foobar", "foobar", "foobar"},
                                                 {"com.example", "example", "example"},
                                                 {"com.", "", ""},
                                                 {".x", "x", "x"},
                                                 {"com..x", "x", ""},
                                                 {"", "", ""}};
    for (const auto &[identifier, bundleName, companyName] : cases) {
        SCOPED_TRACE(identifier);
        EXPECT_EQ(fields::bundleName(QString::fromUtf8(identifier)), QString::fromUtf8(bundleName));
        EXPECT_EQ(fields::companyName(QString::fromUtf8(identifier)),
                  QString::fromUtf8(companyName));
    }
    EXPECT_FALSE(fields::bundleName(std::nullopt));
    EXPECT_FALSE(fields::companyName(std::nullopt));
}

TEST(Fields, WorkedExample) {
    TreeBuilder t;
    const auto url = t.app("Applications/Foo Bar.app", "com.example.FooBar", "Foo Bar", "FooBar",
                           "AppIcon.icns");
    t.file("Applications/Foo Bar.app/Contents/Resources/AppIcon.icns");
    TestSettings s;
    const auto item = Application(s).application(url);
    EXPECT_EQ(item->label(), QStringLiteral("Foo Bar"));
    EXPECT_EQ(item->label_name(), QStringLiteral("Foo_Bar"));
    EXPECT_EQ(item->url(), url);
    EXPECT_EQ(item->bundle(), QStringLiteral("com.example.FooBar"));
    EXPECT_EQ(item->bundle_name(), QStringLiteral("FooBar"));
    EXPECT_EQ(item->bundle_name_info(), QStringLiteral("Foo Bar"));
    EXPECT_EQ(item->executable_info(), QStringLiteral("FooBar"));
    EXPECT_EQ(item->company_name(), QStringLiteral("example"));
    EXPECT_EQ(item->icon(), ImageRef::workspaceIcon(url));
    EXPECT_EQ(item->app_icon(), ImageRef::imageFile(url / "Contents/Resources/AppIcon.icns"));
    EXPECT_TRUE(item->files().empty());
    // The same bundle as a preference pane is labelled by the plug-in rule.
    fs::rename(url, t / "Applications/Foo Bar 2.0.prefPane");
    EXPECT_EQ(Bundle(s).setLabel(t / "Applications/Foo Bar 2.0.prefPane"),
              QStringLiteral("Foo Bar 2"));
}

TEST(Fields, BlankEmptyAndMissingName) {
    TreeBuilder t;
    TestSettings s;
    const Application a(s);
    EXPECT_EQ(a.setLabelName(t.bundleWithPlist(
                  "B.app", test::xmlPlist("<key>CFBundleName</key><string>My Great App</string>"))),
              QStringLiteral("My_Great_App"));
    const auto empty =
        t.bundleWithPlist("E.app", test::xmlPlist("<key>CFBundleName</key><string></string>"));
    EXPECT_EQ(a.setLabelName(empty), QStringLiteral(""));
    EXPECT_EQ(a.setBundleNameInfo(empty), QStringLiteral(""));
    const auto none = t.bundleWithPlist("N.app", test::xmlPlist(""));
    EXPECT_EQ(a.setLabelName(none), QStringLiteral("empty_string"));
    EXPECT_EQ(a.setExecutableInfo(none), QStringLiteral("empty_string"));
}

TEST(Fields, NotABundle_TakesTheFallBacks) {
    TreeBuilder t;
    TestSettings s;
    const auto item = Application(s).application(t.dir("Broken.app"));
    EXPECT_EQ(item->label(), QStringLiteral("Broken"));
    EXPECT_TRUE(item->icon());
    for (const OptString &fallBack :
         {item->label_name(), item->bundle_name_info(), item->executable_info()})
        EXPECT_EQ(fallBack, QStringLiteral("empty_string"));
    EXPECT_FALSE(item->bundle() || item->bundle_name() || item->company_name() || item->app_icon());
}

TEST(Fields, AppIconNameIsCutOnlyWhenItHoldsDotI) {
    TreeBuilder t;
    TestSettings s;
    const Application a(s);
    const auto cut = t.app("C.app", "c", "", "", "My.App.icns");
    t.file("C.app/Contents/Resources/My.icns");
    EXPECT_EQ(a.setAppIcon(cut), ImageRef::imageFile(cut / "Contents/Resources/My.icns"));
    const auto whole = t.app("W.app", "w", "", "", "icon.png");
    t.entries({"W.app/Contents/Resources/icon.png", "W.app/Contents/Resources/icon.icns"});
    EXPECT_EQ(a.setAppIcon(whole), ImageRef::imageFile(whole / "Contents/Resources/icon.png"));
    EXPECT_FALSE(a.setAppIcon(t.app("M.app", "m", "", "", "Gone.icns")));
}

TEST(Fields, PluginAndSafariLabels) {
    TestSettings s;
    const Bundle b(s);
    EXPECT_EQ(b.setLabel("/L/Media Player.plugin"), QStringLiteral("Media Player"));
    EXPECT_EQ(b.setLabel("/L/Mr. X.plugin"), QStringLiteral("Mr"));
    const SafariExtension e(s);
    EXPECT_EQ(e.setLabel(QStringLiteral("Foo.safariextz")), QStringLiteral("Foo"));
    EXPECT_EQ(e.setLabel(QStringLiteral("Foo.Bar.safariextz")), QStringLiteral("Foo"));
    EXPECT_EQ(e.setLabel(QStringLiteral("Blocker-3.1.safariextz")), QStringLiteral("Blocker-3"));
}
