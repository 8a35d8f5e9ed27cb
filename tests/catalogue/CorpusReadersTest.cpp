// The readers on real applications' layouts (the development set of bench/corpus): what
// each bundle declares inside it and in its signature is what the readers find.
#include "catalogue/BundleIdentities.h"
#include "catalogue/CodeSignature.h"
#include "support/Corpus.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

using namespace zembra;
namespace fs = std::filesystem;

TEST(Corpus, DevelopmentSetReadsWhole_NoEntryHasTwoOwners_ReadersFindWhatEachBundleDeclares) {
    const fs::path corpusDir = ZEMBRA_CORPUS_DIR;
    const corpus::Corpus c =
        corpus::loadCorpus({corpusDir / "development.corpus", corpusDir / "macos.corpus"});
    ASSERT_TRUE(c.errors.empty()) << c.errors.front();
    EXPECT_GE(c.apps.size(), 24u);
    QTemporaryDir dir;
    const fs::path root = fs::path(dir.path().toStdString());
    corpus::buildCorpusTree(c, root);
    std::set<std::string> identifiers, entries;
    for (const corpus::CorpusApp &app : c.apps) {
        SCOPED_TRACE(app.bundle);
        EXPECT_TRUE(identifiers.insert(app.identifier).second) << app.identifier;
        EXPECT_FALSE(app.leaves.empty());
        for (const std::string &e : app.leaves)
            EXPECT_TRUE(entries.insert(corpus::entryPath("/", e).native()).second) << e;

        const std::optional<CodeSignature> signature =
            readCodeSignature(root / app.bundle / "Contents/MacOS" / app.executable);
        ASSERT_TRUE(signature);
        EXPECT_EQ(signature->identifier.toStdString(), app.identifier);
        EXPECT_EQ(signature->teamIdentifier.toStdString(), app.team);
        QStringList groups;
        for (const std::string &g : app.groups)
            groups.append(QString::fromStdString(g));
        EXPECT_EQ(signature->applicationGroups, groups);

        const BundleIdentities ids = collectBundleIdentities(root / app.bundle);
        EXPECT_TRUE(ids.complete);
        for (const corpus::InnerSpec &inner : app.inner)
            EXPECT_TRUE(ids.identifiers().contains(QString::fromStdString(inner.identifier)))
                << inner.identifier;
        for (const std::string &tool : app.tools)
            EXPECT_TRUE(ids.names().contains(QString::fromStdString(fs::path(tool).filename())))
                << tool;
    }
}
