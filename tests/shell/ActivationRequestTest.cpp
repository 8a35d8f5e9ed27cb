// What the running program accepts from another process over its local socket.

#include "platform/ActivationRequest.h"
#include "support/CaseName.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace zembra::platform;

namespace {

QByteArray message(const QJsonObject &object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QJsonObject request(const QString &action, const QString &key = {},
                    const QJsonObject &grants = {}) {
    return {{QStringLiteral("action"), action},
            {QStringLiteral("key"), key},
            {QStringLiteral("grants"), grants}};
}

QString base64(const QByteArray &bytes) {
    return QString::fromLatin1(bytes.toBase64());
}

struct MessageCase {
    const char *name;
    QByteArray line;
    bool taken;
};

ZEMBRA_PRINT_CASE_BY_NAME(MessageCase)

class SocketMessage : public testing::TestWithParam<MessageCase> {};

} // namespace

TEST_P(SocketMessage, Decoded_TakenOnlyWhenWellFormedAndBounded) {
    QString problem;
    const auto decoded = decodeRequest(GetParam().line, &problem);
    EXPECT_EQ(decoded.has_value(), GetParam().taken) << problem.toStdString();
    EXPECT_EQ(problem.isEmpty(), GetParam().taken);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, SocketMessage,
    testing::Values(
        MessageCase{"Activate", message(request({})), true},
        MessageCase{"Review",
                    message(request(QStringLiteral("review-remembered"),
                                    QStringLiteral("com.vendor.editor"))),
                    true},
        MessageCase{"RemovedWithFolders",
                    message(request(QStringLiteral("removed-applications"), {},
                                    {{QStringLiteral("--home"), base64("/Users/me")},
                                     {QStringLiteral("--root"), base64("/")}})),
                    true},
        MessageCase{"UnknownAction",
                    message(request(QStringLiteral("remove"), QStringLiteral("com.x"))), false},
        MessageCase{"ReviewWithoutKey", message(request(QStringLiteral("review-remembered"))),
                    false},
        MessageCase{"KeyWhereNoneBelongs",
                    message(request(QStringLiteral("removed-applications"), QStringLiteral("x"))),
                    false},
        MessageCase{
            "KeyWithNul",
            message(request(QStringLiteral("review-remembered"), QStringLiteral("com.x\0y"))),
            false},
        MessageCase{"KeyTooLong",
                    message(request(QStringLiteral("review-remembered"),
                                    QString(kMaxKeyLength + 1, QLatin1Char('k')))),
                    false},
        MessageCase{
            "SettingsFolderOption",
            message(request({}, {},
                            {{QStringLiteral("--settings-dir"), base64("/Users/me/settings")}})),
            false},
        MessageCase{"RelativeFolder",
                    message(request({}, {}, {{QStringLiteral("--home"), base64("home")}})), false},
        MessageCase{
            "FolderWithNul",
            message(request({}, {}, {{QStringLiteral("--home"), base64(QByteArray("/a\0b", 4))}})),
            false},
        MessageCase{"FolderNotBase64",
                    message(request({}, {}, {{QStringLiteral("--home"), QStringLiteral("/a b!")}})),
                    false},
        MessageCase{"FolderNotText", message(request({}, {}, {{QStringLiteral("--home"), 7}})),
                    false},
        MessageCase{"ActionNotText", message({{QStringLiteral("action"), 1}}), false},
        MessageCase{"NotAnObject", QByteArray("[\"review-remembered\"]"), false},
        MessageCase{"NotJson", QByteArray("review-remembered com.x"), false},
        MessageCase{"Oversized",
                    message(request(QStringLiteral("review-remembered"), QStringLiteral("com.x"),
                                    {{QStringLiteral("--home"),
                                      QString(kMaxMessageBytes, QLatin1Char('A'))}})),
                    false}),
    zembra::test::CaseName());

TEST(ActivationRequest, EncodedAndDecoded_KeepsFolderBytesThatAreNotUtf8) {
    const ActivationRequest sent{
        kActionReviewRemembered,
        QStringLiteral("/Applications/\u00c9diteur.app"),
        {{"--home", "/home/caf\xe9"}, {"--applications", "/Applications"}}};
    const QByteArray line = encodeRequest(sent);
    ASSERT_TRUE(line.endsWith('\n'));
    EXPECT_EQ(line.count('\n'), 1) << "one request is one line";
    QString problem;
    EXPECT_EQ(decodeRequest(line.chopped(1), &problem), sent) << problem.toStdString();
    EXPECT_EQ(decodeAnswer(encodeAnswer({}).chopped(1)), QString());
    EXPECT_EQ(decodeAnswer(encodeAnswer(QStringLiteral("no")).chopped(1)), QStringLiteral("no"));
    EXPECT_FALSE(decodeAnswer("{}").isEmpty()) << "an answer that is not ours is no acceptance";
}
