#include "catalogue/ItemRecord.h"
#include "catalogue/SortByLabel.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

using namespace zembra;
using namespace zembra::platform;

TEST(Contains, CaseDiacriticAndWidthInsensitive)
{
    EXPECT_TRUE(localizedStandardContains(QStringLiteral("com.Vendor.Editor.plist"), QStringLiteral("vendor.editor")));
    EXPECT_TRUE(localizedStandardContains(QStringLiteral("Résumé Maker"), QStringLiteral("resume")));
    EXPECT_TRUE(localizedStandardContains(QStringLiteral("Straße"), QStringLiteral("STRASSE")));
    EXPECT_TRUE(localizedStandardContains(QStringLiteral("STRASSE"), QStringLiteral("straße")));
    EXPECT_TRUE(localizedStandardContains(QStringLiteral("ｅｄｉｔｏｒ"), QStringLiteral("Editor")));
    EXPECT_TRUE(localizedStandardContains(QStringLiteral("office"), QStringLiteral("ﬃ")));
    EXPECT_FALSE(localizedStandardContains(QStringLiteral("Editor"), QStringLiteral("Editors")));
}

TEST(Contains, EmptyKeyMatchesNothing)
{
    EXPECT_FALSE(localizedStandardContains(QStringLiteral("anything"), QString()));
    EXPECT_FALSE(localizedStandardContains(QStringLiteral("anything"), QStringLiteral("")));
    EXPECT_FALSE(localizedStandardContains(QStringLiteral("anything"), QStringLiteral("\u0301"))); // folds to ""
}

TEST(Contains, FoldingBytesMatchesFoldingText)
{
    for (const char *s : {"Plain ASCII", "Ünïcödé Ñame", "caf\xc3\xa9"})
        EXPECT_EQ(foldForMatch(std::string_view(s)), foldForMatch(QString::fromUtf8(s))) << s;
    // Bytes that are not UTF-8 fold without failing and match nothing unexpected.
    EXPECT_FALSE(containsFolded(foldForMatch(std::string_view("caf\xe9")), foldForMatch(QStringLiteral("café"))));
}

TEST(SortByLabel, CaseDoesNotGroup_EqualLabelsKeepOrder)
{
    std::vector<std::shared_ptr<ApplicationItem>> items;
    for (const char *label : {"gamma", "Beta", "alpha", "Alpha", "Émile", "zeta"}) {
        items.push_back(std::make_shared<ApplicationItem>());
        items.back()->setLabel(QString::fromUtf8(label));
    }
    sortByLabel(items);
    std::vector<std::string> labels;
    for (const auto &i : items)
        labels.push_back(i->label()->toStdString());
    EXPECT_EQ(labels, (std::vector<std::string>{"alpha", "Alpha", "Beta", "Émile", "gamma", "zeta"}));
}
