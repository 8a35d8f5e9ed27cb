#pragma once
// What a later launch of the desktop program, the desktop's launcher or a notice asks of
// the program already running on the same settings, and how it travels over the local
// socket. A request comes from another process: it is checked before anything uses it.
// Pure functions, any thread.

#include <QByteArray>
#include <QString>

#include <map>
#include <optional>
#include <string>

namespace zembra::platform {

// The actions a request may name (also the desktop entry's action names); an empty
// action only brings the window forward.
inline const QString kActionReviewRemembered = QStringLiteral("review-remembered");
inline const QString kActionRemovedApplications = QStringLiteral("removed-applications");

struct ActivationRequest {
    QString action;
    QString key; // the remembered key, for kActionReviewRemembered only
    // The folders the other launch was given ("--home" -> absolute path as bytes). They are
    // compared with the running program's own and never added to them.
    std::map<std::string, std::string> grants;

    bool operator==(const ActivationRequest &) const = default;
};

// Bounds on what another process may send: a remembered key (a bundle identifier or a
// bundle's path, in UTF-16 code units), a folder (bytes) and one message on the socket.
inline constexpr int kMaxKeyLength = 4096;
inline constexpr std::size_t kMaxFolderBytes = 4096;
inline constexpr int kMaxMessageBytes = 64 * 1024;

// Why `request` cannot be taken, or nothing when it can: an unknown action, a key that is
// missing, not wanted, too long or holds a NUL, a grant option other than --applications,
// --home and --root, or a folder that is not absolute, too long or holds a NUL.
std::optional<QString> requestProblem(const ActivationRequest &request);

// The request as one line of compact JSON ending in "\n" (folders in base64: they keep
// their bytes).
QByteArray encodeRequest(const ActivationRequest &request);
// The request in `line` (without or with its "\n"), checked; nothing, and why in
// `problem`, when it is not a well-formed, acceptable request.
std::optional<ActivationRequest> decodeRequest(const QByteArray &line, QString *problem);

// The answer on the socket: one line, "ok" or the reason the request was refused.
QByteArray encodeAnswer(const QString &refusal);
// The refusal in an answer line; empty when the request was taken. An answer that is not
// one of ours reads as a refusal saying so.
QString decodeAnswer(const QByteArray &line);

} // namespace zembra::platform
