#include "shell/ProgramOptions.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using zembra::parseProgramOptions;

TEST(ProgramOptions, FolderOptions_TakenAsTheCommandLineTakesThem)
{
    const auto o = parseProgramOptions({"uninstaller-zembra", "--applications", "A", "--home", "H", "--root", "/",
                                        "--settings-dir", "S"});
    EXPECT_TRUE(o.error.isEmpty());
    EXPECT_EQ(o.grants.at("--applications"), "A");
    EXPECT_EQ(o.grants.at("--home"), "H");
    EXPECT_EQ(o.grants.at("--root"), "/");
    EXPECT_EQ(o.settingsDir, QStringLiteral("S"));
    EXPECT_TRUE(o.screenshotsDir.isEmpty());
    EXPECT_TRUE(o.reviewRemembered.isEmpty());

    // The watcher's key is one argument, even one that looks like an option.
    const auto review = parseProgramOptions({"uninstaller-zembra", "--review-remembered=--root"});
    EXPECT_EQ(review.reviewRemembered, QStringLiteral("--root"));
    EXPECT_TRUE(review.grants.empty());
    EXPECT_FALSE(parseProgramOptions({"uninstaller-zembra", "--review-remembered="}).error.isEmpty());

    EXPECT_FALSE(parseProgramOptions({"uninstaller-zembra", "--bogus"}).error.isEmpty());
    EXPECT_FALSE(parseProgramOptions({"uninstaller-zembra", "--home"}).error.isEmpty());
    EXPECT_FALSE(parseProgramOptions({"uninstaller-zembra", "stray"}).error.isEmpty());
}

TEST(ProgramOptions, MissingFolder_RefusesToStartWithStatusTwo)
{
    QTemporaryDir settings;
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(ZEMBRA_GUI_PATH),
                  {QStringLiteral("--settings-dir"), settings.path(), QStringLiteral("--home"),
                   settings.path() + QStringLiteral("/no such folder")});
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitCode(), 2);
    EXPECT_TRUE(program.readAllStandardError().contains("--home: no folder at"));
}
