#include "platform/OpenPanel.h"

#include <QApplication>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

using zembra::platform::OpenPanel;

namespace {

QFileDialog *openDialog() {
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *dialog = qobject_cast<QFileDialog *>(w); dialog && dialog->isVisible())
            return dialog;
    return nullptr;
}

} // namespace

TEST(OpenPanel, FoldersOnlyWithTitleAndPrompt_AnswersOnceWithTheChoice) {
    QTemporaryDir dir;
    QWidget parent;
    parent.show();
    std::vector<std::optional<std::filesystem::path>> answers;
    OpenPanel::shared().beginModal(
        {QStringLiteral("Allow access"), QStringLiteral("Allow"), dir.path().toStdString()},
        &parent, &parent, [&](auto folder) { answers.push_back(folder); });
    QFileDialog *dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Allow access"));
    EXPECT_EQ(dialog->labelText(QFileDialog::Accept), QStringLiteral("Allow"));
    EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
    EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_FALSE(dialog->filter() & QDir::Hidden) << "hidden folders are not offered";
    EXPECT_FALSE(dialog->filter() & QDir::Files);
    EXPECT_EQ(dialog->directory().absolutePath(), dir.path());

    dialog->reject();
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_FALSE(answers.front().has_value()) << "cancelled";

    OpenPanel::shared().beginModal({QString(), QStringLiteral("Allow"), dir.path().toStdString()},
                                   &parent, &parent,
                                   [&](auto folder) { answers.push_back(folder); });
    dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    dialog->selectFile(dir.path());
    QMetaObject::invokeMethod(dialog, "accept");
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers.back(), std::filesystem::path(dir.path().toStdString()));
}
