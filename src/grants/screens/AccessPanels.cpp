#include "grants/screens/AccessPanels.h"

#include <QDir>
#include <QFile>
#include <QObject>

#include <system_error>

namespace zembra::access {

namespace {
std::filesystem::path homeFolder() {
    return QFile::encodeName(QDir::homePath()).toStdString();
}
} // namespace

platform::OpenPanel::Request applicationsRequest() {
    std::error_code ec;
    const std::filesystem::path local("/Applications");
    return {QObject::tr("Allow access"), QObject::tr("Allow"),
            std::filesystem::is_directory(local, ec) ? local : homeFolder()};
}

platform::OpenPanel::Request homeRequest() {
    return {QObject::tr("Allow access"), QObject::tr("Allow"), homeFolder()};
}

platform::OpenPanel::Request wholeDiskRequest() {
    return {QString(), QObject::tr("Allow"), "/"};
}

} // namespace zembra::access
