#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

// In a terminal with no display at all: the windowing system would refuse to start.
TEST(Terminal, HelpAndVersion_AnsweredWithoutADisplay_ExitZero) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    const std::pair<const char *, const char *> answers[] = {
        {"--help", "--settings-dir <DIR>"}, {"--version", "Uninstaller zembra " ZEMBRA_VERSION}};
    for (const auto &[option, says] : answers) {
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(ZEMBRA_GUI_PATH), {QString::fromLatin1(option)});
        ASSERT_TRUE(program.waitForFinished(20000)) << option;
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << option;
        EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
        EXPECT_TRUE(program.readAllStandardOutput().contains(says)) << option;
    }
}
