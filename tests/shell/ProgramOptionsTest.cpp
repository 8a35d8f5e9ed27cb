#include "shell/ProgramOptions.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

namespace {

zembra::ProgramOptions parse(const QStringList &arguments) {
    return zembra::parseProgramOptions(QStringList{"uninstaller-zembra"} + arguments);
}

} // namespace

TEST(ProgramOptions, FolderOptions_TakenAsTheCommandLineTakesThem) {
    const auto o =
        parse({"--applications", "A", "--home", "H", "--root", "/", "--settings-dir", "S"});
    EXPECT_TRUE(o.error.isEmpty());
    EXPECT_EQ(o.grants, (std::map<std::string, std::string>{
                            {"--applications", "A"}, {"--home", "H"}, {"--root", "/"}}));
    EXPECT_EQ(o.settingsDir, QStringLiteral("S"));
    EXPECT_TRUE(o.reviewRemembered.isEmpty());
    EXPECT_FALSE(o.removedApplications);

    // The watcher's key is one argument, even one that looks like an option.
    const auto review = parse({"--review-remembered=--root"});
    EXPECT_EQ(review.reviewRemembered, QStringLiteral("--root"));
    EXPECT_TRUE(review.grants.empty());
    EXPECT_TRUE(parse({"--removed-applications"}).removedApplications);

    // An empty key, two screens at once, an unknown option, a folder missing, a stray word.
    for (const QStringList &refused :
         {QStringList{"--review-remembered="},
          QStringList{"--removed-applications", "--review-remembered=com.x"},
          QStringList{"--bogus"}, QStringList{"--home"}, QStringList{"stray"}})
        EXPECT_FALSE(parse(refused).error.isEmpty()) << refused.join(' ').toStdString();
}

// The desktop program started for real: what it says, and whether it ends (with which
// status) or goes on to show its window.
TEST(ProgramOptions, ProgramStarted_SaysWhyAndEndsOrKeepsRunning) {
    QTemporaryDir settings;
    const QString dir = settings.path(), linked = dir + "/linked";
    QFile::link(dir, linked);
    const struct {
        QStringList arguments;
        std::optional<int> status; // nothing: it keeps running, home shown
        QByteArray said;
    } cases[] = {
        {{"--help"}, 0, "--settings-dir <DIR>"},
        {{"--version"}, 0, "Uninstaller zembra " ZEMBRA_VERSION},
        {{"--settings-dir", dir, "--home", dir + "/no such folder"}, 2, "--home: no folder at"},
        {{"--settings-dir", dir, "--review-remembered=com.x.none"},
         std::nullopt,
         "uninstaller-zembra: no remembered application com.x.none\n"},
        // Escaped as the command line escapes names.
        {{"--settings-dir", dir, "--review-remembered=a\x1b[2Jb\nc\u202e"},
         std::nullopt,
         "uninstaller-zembra: no remembered application a\\x1b[2Jb\\nc\\u202e\n"},
        {{"--settings-dir", linked, "--review-remembered=com.x.none"},
         std::nullopt,
         "/linked is a symbolic link: settings are kept for this run only\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.said.toStdString());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        // Help and version are answered where no display could be opened at all.
        env.insert("QT_QPA_PLATFORM", c.status == 0 ? "xcb" : "offscreen");
        // The lock and socket of the running program go to this test's own folder.
        env.insert("XDG_RUNTIME_DIR", dir);
        QProcess program;
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(QStringLiteral(ZEMBRA_GUI_PATH), c.arguments);
        QByteArray out;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                out += program.readAll();
                return out.contains(c.said);
            },
            20000))
            << out.toStdString();
        if (c.status) {
            EXPECT_TRUE(program.state() == QProcess::NotRunning || program.waitForFinished(20000));
            EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(program.exitCode(), *c.status);
        } else {
            EXPECT_EQ(program.state(), QProcess::Running) << "home is shown instead";
        }
        program.kill();
        program.waitForFinished(5000);
    }
}
