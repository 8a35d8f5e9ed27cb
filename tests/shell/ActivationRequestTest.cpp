// What the running program accepts from another process over its local socket.

#include "platform/ActivationRequest.h"
#include "support/CaseName.h"

#include <gtest/gtest.h>

using namespace zembra::platform;

namespace {

// A request line as another process may write it; folders in base64.
QByteArray request(const char *action, const QByteArray &key = "", const QByteArray &grants = "") {
    return "{\"action\":\"" + QByteArray(action) + "\",\"key\":\"" + key + "\",\"grants\":{" +
           grants + "}}";
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
    testing::Values(MessageCase{"Activate", request(""), true},
                    MessageCase{"Review", request("review-remembered", "com.vendor.editor"), true},
                    MessageCase{"RemovedWithFolders",
                                request("removed-applications", "",
                                        R"("--home":"L1VzZXJzL21l","--root":"Lw==")"),
                                true},
                    MessageCase{"UnknownAction", request("remove", "com.x"), false},
                    MessageCase{"ReviewWithoutKey", request("review-remembered"), false},
                    MessageCase{"KeyWhereNoneBelongs", request("removed-applications", "x"), false},
                    MessageCase{"KeyWithNul", request("review-remembered", "com.x\\u0000y"), false},
                    MessageCase{"KeyTooLong",
                                request("review-remembered", QByteArray(kMaxKeyLength + 1, 'k')),
                                false},
                    MessageCase{"SettingsFolderOption",
                                request("", "", R"("--settings-dir":"L1VzZXJzL21lL3NldHRpbmdz")"),
                                false},
                    MessageCase{"RelativeFolder", request("", "", R"("--home":"aG9tZQ==")"), false},
                    MessageCase{"FolderWithNul", request("", "", R"("--home":"L2EAYg==")"), false},
                    MessageCase{"FolderNotBase64", request("", "", R"("--home":"/a b!")"), false},
                    MessageCase{"FolderNotText", request("", "", R"("--home":7)"), false},
                    MessageCase{"ActionNotText", R"({"action":1})", false},
                    MessageCase{"NotAnObject", R"(["review-remembered"])", false},
                    MessageCase{"NotJson", "review-remembered com.x", false},
                    MessageCase{"Oversized",
                                request("review-remembered", "com.x",
                                        "\"--home\":\"" + QByteArray(kMaxMessageBytes, 'A') + "\""),
                                false}),
    zembra::test::CaseName());

TEST(ActivationRequest, EncodedAndDecoded_KeepsFolderBytesThatAreNotUtf8) {
    const ActivationRequest sent{
        kActionReviewRemembered,
        QStringLiteral("/Applications/\u00c9diteur.app"),
        {{"--home", "/home/caf\xe9"}, {"--applications", "/Applications"}}};
    const QByteArray line = encodeRequest(sent);
    EXPECT_EQ(line.indexOf('\n'), line.size() - 1) << "one request is one line";
    QString problem;
    EXPECT_EQ(decodeRequest(line.chopped(1), &problem), sent) << problem.toStdString();
    EXPECT_EQ(decodeAnswer(encodeAnswer({}).chopped(1)), QString());
    EXPECT_EQ(decodeAnswer(encodeAnswer(QStringLiteral("no")).chopped(1)), QStringLiteral("no"));
    EXPECT_FALSE(decodeAnswer("{}").isEmpty()) << "an answer that is not ours is no acceptance";
}
