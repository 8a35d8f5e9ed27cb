#include "platform/Text.h"
#include "catalogue/ItemRecord.h"
#include "catalogue/SortByLabel.h"
#include "platform/Utf8.h"
#include "platform/VisibleText.h"

#include <gtest/gtest.h>

using namespace zembra;
using namespace zembra::platform;

TEST(Contains, CaseDiacriticAndWidthInsensitive_EmptyKeyMatchesNothing_BytesFoldAsText) {
    using Pair = std::pair<const char *, const char *>;
    for (const auto &[text, key] :
         {Pair{"com.Vendor.Editor.plist", "vendor.editor"}, Pair{"Résumé Maker", "resume"},
          Pair{"Straße", "STRASSE"}, Pair{"STRASSE", "straße"}, Pair{"ｅｄｉｔｏｒ", "Editor"},
          Pair{"office", "ﬃ"}})
        EXPECT_TRUE(localizedStandardContains(QString::fromUtf8(text), QString::fromUtf8(key)))
            << text << " / " << key;
    // The last key folds to "".
    for (const char *key : {"Editors", "", "\u0301"})
        EXPECT_FALSE(localizedStandardContains(QStringLiteral("Editor"), QString::fromUtf8(key)))
            << key;
    EXPECT_FALSE(localizedStandardContains(QStringLiteral("anything"), QString()));
    for (const char *s : {"Plain ASCII", "Ünïcödé Ñame", "caf\xc3\xa9"})
        EXPECT_EQ(foldForMatch(std::string_view(s)), foldForMatch(QString::fromUtf8(s))) << s;
    // Bytes that are not UTF-8 fold without failing and match nothing unexpected.
    EXPECT_FALSE(containsFolded(foldForMatch(std::string_view("caf\xe9")),
                                foldForMatch(QStringLiteral("café"))));
}

TEST(SortByLabel, CaseDoesNotGroup_EqualLabelsKeepOrder) {
    std::vector<std::shared_ptr<ApplicationItem>> items;
    for (const char *label : {"gamma", "Beta", "alpha", "Alpha", "Émile", "zeta"}) {
        items.push_back(std::make_shared<ApplicationItem>());
        items.back()->setLabel(QString::fromUtf8(label));
    }
    sortByLabel(items);
    std::vector<std::string> labels;
    for (const auto &i : items)
        labels.push_back(i->label()->toStdString());
    EXPECT_EQ(labels,
              (std::vector<std::string>{"alpha", "Alpha", "Beta", "Émile", "gamma", "zeta"}));
}

TEST(VisiblyEscaped, ControlsBidiAndBadBytesShown_BackslashDoubled_RestKept) {
    const std::pair<const char *, const char *> text[] = {
        {"a\rb\n\t", "a\\rb\\n\\t"},
        {"\x1b[2K\x7f\\", "\\x1b[2K\\x7f\\\\"},
        {"x\u0085\u2028\u2029\u202e\u2066\u200f", "x\\u0085\\u2028\\u2029\\u202e\\u2066\\u200f"},
        {"Résumé \xf0\x9f\x93\x84 \xef\xbb\xbf", "Résumé \xf0\x9f\x93\x84 \xef\xbb\xbf"},
        {"", ""}};
    for (const auto &[in, shown] : text)
        EXPECT_EQ(visiblyEscaped(QString::fromUtf8(in)).toStdString(), shown);
    // Bytes: what is not UTF-8 shows as \xHH, controls as above.
    EXPECT_EQ(visiblyEscaped(std::string_view("caf\xe9\r\xc3\xa9\xc0\xaf")).toStdString(),
              "caf\\xe9\\r\xc3\xa9\\xc0\\xaf");
    EXPECT_EQ(visiblyEscaped(std::string_view("a\0b", 3)).toStdString(), "a\\x00b");
}

TEST(Utf8, OneStrictReaderAndItsWriterAgree) {
    for (const char *good : {"plain", "caf\xc3\xa9", "\xf4\x8f\xbf\xbf", ""})
        EXPECT_TRUE(isUtf8(good)) << good;
    // Latin-1, overlong, surrogate, past U+10FFFF, cut short at the end, lone continuation.
    for (const char *bad : {"caf\xe9", "\xc0\xaf", "\xe0\x80\xaf", "\xed\xa0\x80",
                            "\xf4\x90\x80\x80", "\xc3", "ab\xe2\x82", "\x80", "\xff"})
        EXPECT_FALSE(isUtf8(bad)) << bad;
    for (const char32_t cp :
         {0x0, 0x41, 0x7f, 0x80, 0x7ff, 0x800, 0xfeff, 0xffff, 0x10000, 0x10ffff}) {
        std::string bytes;
        appendUtf8(bytes, cp);
        char32_t back = 0;
        EXPECT_EQ(decodeUtf8Sequence(bytes, 0, back), bytes.size()) << unsigned(cp);
        EXPECT_EQ(back, cp);
    }
}
