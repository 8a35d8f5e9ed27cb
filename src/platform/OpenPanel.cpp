#include "platform/OpenPanel.h"

#include <QFile>
#include <QFileDialog>
#include <QPointer>

namespace zembra::platform {

namespace {
OpenPanel *g_override = nullptr;
}

OpenPanel &OpenPanel::shared() {
    static OpenPanel platformPanel;
    return g_override ? *g_override : platformPanel;
}

void OpenPanel::setShared(OpenPanel *panel) {
    g_override = panel;
}

void OpenPanel::beginModal(const Request &request, QWidget *parent, QObject *context, Done done) {
    auto *dialog = new QFileDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::ShowDirsOnly);
    dialog->setFileMode(QFileDialog::Directory);
    // Folders only; without QDir::Hidden hidden entries stay out of the list.
    dialog->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    if (!request.title.isEmpty())
        dialog->setWindowTitle(request.title);
    if (!request.prompt.isEmpty())
        dialog->setLabelText(QFileDialog::Accept, request.prompt);
    dialog->setDirectory(QFile::decodeName(QByteArray::fromStdString(request.directory.native())));

    QPointer<QObject> guard(context);
    QObject::connect(dialog, &QFileDialog::finished, context, [dialog, guard, done](int result) {
        if (!guard)
            return;
        const QStringList chosen = dialog->selectedFiles();
        if (result == QDialog::Accepted && !chosen.isEmpty())
            done(std::filesystem::path(QFile::encodeName(chosen.front()).toStdString()));
        else
            done(std::nullopt);
    });
    dialog->open();
}

} // namespace zembra::platform
