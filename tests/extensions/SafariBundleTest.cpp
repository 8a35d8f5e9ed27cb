#include "extensions/SafariBundle.h"
#include "grants/GrantKeys.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

using namespace zembra;
using zembra::test::TestSettings;
using zembra::test::TreeBuilder;

TEST(SafariBundle, SystemSafariMissing_GrantedApplicationsFolderStandsIn_NoneAnywhereNoImage) {
    TreeBuilder t;
    TestSettings s;
    s.grant(grants::kApplications, t.dir("Applications"));
    EXPECT_FALSE(safariBundle(s, t / "missing/Safari.app"));
    EXPECT_FALSE(safariCompassImage(s, t / "missing/Safari.app"));

    const auto granted = t.app("Applications/Safari.app", "com.apple.Safari", "Safari");
    const auto image = t.file("Applications/Safari.app/Contents/Resources/compass.icns", "icns");
    EXPECT_EQ(safariBundle(s, t / "missing/Safari.app"), granted);
    EXPECT_EQ(safariCompassImage(s, t / "missing/Safari.app"), image);

    // The system's Safari comes first where it exists.
    const auto system = t.app("System/Safari.app", "com.apple.Safari", "Safari");
    EXPECT_EQ(safariBundle(s, system), system);
    EXPECT_FALSE(safariCompassImage(s, system)); // it has no compass image
}
