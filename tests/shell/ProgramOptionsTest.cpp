#include "shell/ProgramOptions.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using zembra::parseProgramOptions;

TEST(ProgramOptions, FolderOptions_TakenAsTheCommandLineTakesThem) {
    const auto o = parseProgramOptions({"uninstaller-zembra", "--applications", "A", "--home", "H",
                                        "--root", "/", "--settings-dir", "S"});
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
    EXPECT_FALSE(
        parseProgramOptions({"uninstaller-zembra", "--review-remembered="}).error.isEmpty());

    const auto removed = parseProgramOptions({"uninstaller-zembra", "--removed-applications"});
    EXPECT_TRUE(removed.error.isEmpty());
    EXPECT_TRUE(removed.removedApplications);
    EXPECT_FALSE(o.removedApplications);
    // Two screens cannot both be opened.
    EXPECT_FALSE(parseProgramOptions(
                     {"uninstaller-zembra", "--removed-applications", "--review-remembered=com.x"})
                     .error.isEmpty());

    EXPECT_FALSE(parseProgramOptions({"uninstaller-zembra", "--bogus"}).error.isEmpty());
    EXPECT_FALSE(parseProgramOptions({"uninstaller-zembra", "--home"}).error.isEmpty());
    EXPECT_FALSE(parseProgramOptions({"uninstaller-zembra", "stray"}).error.isEmpty());
}

namespace {

// The desktop program, offscreen, on its own settings folder, with `arguments`.
void start(QProcess &program, const QTemporaryDir &settings, QStringList arguments) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // The lock and socket of the running program go to this test's own folder.
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), settings.path());
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(ZEMBRA_GUI_PATH),
                  QStringList{QStringLiteral("--settings-dir"), settings.path()} + arguments);
}

} // namespace

TEST(ProgramOptions, MissingFolder_RefusesToStartWithStatusTwo) {
    QTemporaryDir settings;
    QProcess program;
    start(program, settings,
          {QStringLiteral("--home"), settings.path() + QStringLiteral("/no such folder")});
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitCode(), 2);
    EXPECT_TRUE(program.readAllStandardError().contains("--home: no folder at"));
}

// What the desktop program says on stderr while it goes on to show its window: an unknown
// key of the watcher's (escaped as the command line escapes names), a settings folder it
// cannot use.
TEST(ProgramOptions, UnknownRememberedKeyOrUnusableSettingsFolder_SaidAndKeepsRunning) {
    QTemporaryDir settings;
    const QString linked = settings.path() + QStringLiteral("/linked");
    QFile::link(settings.path(), linked);
    const struct {
        QString settingsDir;
        QString argument;
        QByteArray said;
    } cases[] = {
        {settings.path(), QStringLiteral("--review-remembered=com.x.none"),
         "uninstaller-zembra: no remembered application com.x.none\n"},
        {settings.path(), QStringLiteral("--review-remembered=a\x1b[2Jb\nc\u202e"),
         "uninstaller-zembra: no remembered application a\\x1b[2Jb\\nc\\u202e\n"},
        {linked, QStringLiteral("--review-remembered=com.x.none"),
         "/linked is a symbolic link: settings are kept for this run only\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.said.toStdString());
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(ZEMBRA_GUI_PATH),
                      {QStringLiteral("--settings-dir"), c.settingsDir, c.argument});
        ASSERT_TRUE(program.waitForStarted(20000));
        QByteArray err;
        const bool said = QTest::qWaitFor(
            [&] {
                err += program.readAllStandardError();
                return err.contains(c.said);
            },
            20000);
        EXPECT_TRUE(said) << err.toStdString();
        EXPECT_EQ(program.state(), QProcess::Running) << "home is shown instead";
        program.kill();
        program.waitForFinished(5000);
    }
}
