#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace {

struct Answer {
    const char *option;
    const char *says;
};

void PrintTo(const Answer &a, std::ostream *os) {
    *os << a.option;
}

class TerminalAnswer : public ::testing::TestWithParam<Answer> {};

} // namespace

// In a terminal with no display at all: the windowing system would refuse to start.
TEST_P(TerminalAnswer, NoDisplay_AnsweredAndExitsZero) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(ZEMBRA_GUI_PATH), {QString::fromLatin1(GetParam().option)});
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    EXPECT_TRUE(program.readAllStandardOutput().contains(GetParam().says));
}

INSTANTIATE_TEST_SUITE_P(Options, TerminalAnswer,
                         ::testing::Values(Answer{"--help", "--settings-dir <DIR>"},
                                           Answer{"--version",
                                                  "Uninstaller zembra " ZEMBRA_VERSION}),
                         [](const auto &info) { return std::string(info.param.option + 2); });
