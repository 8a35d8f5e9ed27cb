#include "platform/ActivationRequest.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace zembra::platform {

namespace {

bool isGrantOption(const std::string &option) {
    return option == "--applications" || option == "--home" || option == "--root";
}

} // namespace

std::optional<QString> requestProblem(const ActivationRequest &request) {
    if (!request.action.isEmpty() && request.action != kActionReviewRemembered &&
        request.action != kActionRemovedApplications)
        return QStringLiteral("unknown action");
    if (request.action == kActionReviewRemembered) {
        if (request.key.isEmpty())
            return QStringLiteral("no remembered key");
        if (request.key.size() > kMaxKeyLength || request.key.contains(QChar(0)))
            return QStringLiteral("not a remembered key");
    } else if (!request.key.isEmpty()) {
        return QStringLiteral("a key for an action that takes none");
    }
    for (const auto &[option, folder] : request.grants) {
        if (!isGrantOption(option))
            return QStringLiteral("not a folder option");
        if (folder.empty() || folder.front() != '/' || folder.size() > kMaxFolderBytes ||
            folder.find('\0') != std::string::npos)
            return QStringLiteral("not an absolute folder");
    }
    return std::nullopt;
}

QByteArray encodeRequest(const ActivationRequest &request) {
    QJsonObject grants;
    for (const auto &[option, folder] : request.grants)
        grants.insert(QString::fromStdString(option),
                      QString::fromLatin1(QByteArray::fromStdString(folder).toBase64()));
    const QJsonObject message{{QStringLiteral("action"), request.action},
                              {QStringLiteral("key"), request.key},
                              {QStringLiteral("grants"), grants}};
    return QJsonDocument(message).toJson(QJsonDocument::Compact) + '\n';
}

std::optional<ActivationRequest> decodeRequest(const QByteArray &line, QString *problem) {
    const auto fail = [problem](const QString &why) {
        if (problem)
            *problem = why;
        return std::nullopt;
    };
    if (line.size() > kMaxMessageBytes)
        return fail(QStringLiteral("message too long"));
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return fail(QStringLiteral("not a request"));
    const QJsonObject message = document.object();
    const QJsonValue action = message.value(QStringLiteral("action"));
    const QJsonValue key = message.value(QStringLiteral("key"));
    const QJsonValue grants = message.value(QStringLiteral("grants"));
    if (!action.isString() || !(key.isString() || key.isUndefined()) ||
        !(grants.isObject() || grants.isUndefined()))
        return fail(QStringLiteral("not a request"));
    ActivationRequest request{action.toString(), key.toString(), {}};
    const QJsonObject folders = grants.toObject();
    for (auto it = folders.begin(); it != folders.end(); ++it) {
        if (!it.value().isString())
            return fail(QStringLiteral("not an absolute folder"));
        const auto decoded = QByteArray::fromBase64Encoding(
            it.value().toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            return fail(QStringLiteral("not an absolute folder"));
        request.grants[it.key().toStdString()] = decoded.decoded.toStdString();
    }
    if (const auto why = requestProblem(request))
        return fail(*why);
    return request;
}

QByteArray encodeAnswer(const QString &refusal) {
    const QJsonObject answer = refusal.isEmpty()
                                   ? QJsonObject{{QStringLiteral("taken"), true}}
                                   : QJsonObject{{QStringLiteral("refused"), refusal}};
    return QJsonDocument(answer).toJson(QJsonDocument::Compact) + '\n';
}

QString decodeAnswer(const QByteArray &line) {
    const QJsonObject answer = QJsonDocument::fromJson(line).object();
    if (answer.value(QStringLiteral("taken")).toBool())
        return QString();
    const QString refusal = answer.value(QStringLiteral("refused")).toString();
    return refusal.isEmpty() ? QStringLiteral("the running program gave no answer") : refusal;
}

} // namespace zembra::platform
