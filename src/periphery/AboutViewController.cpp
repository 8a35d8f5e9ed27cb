#include "periphery/AboutViewController.h"

#include "ui_AboutViewController.h"

#include "periphery/Acknowledgements.h"
#include "periphery/StoreLinks.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPixmap>
#include <QWindow>

namespace zembra {

AboutViewController::AboutViewController(QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::AboutViewController>()) {
    ui->setupUi(this);
    ui->logo->setPixmap(QPixmap(QStringLiteral(":/images/brand.png")));
    const QString version = QCoreApplication::applicationVersion();
    ui->version->setText(tr("Version %1").arg(version));
    ui->version->setVisible(!version.isEmpty());
    connect(ui->pelloria, &QPushButton::clicked, this, &AboutViewController::pelloria);
    connect(ui->Acknowledgements, &QPushButton::clicked, this,
            &AboutViewController::Acknowledgements);
    connect(ui->HomePage, &QPushButton::clicked, this, &AboutViewController::HomePage);
}

AboutViewController::~AboutViewController() = default;

void AboutViewController::pelloria() {
    openPelloriaStorePage();
}

void AboutViewController::Acknowledgements() {
    openAcknowledgements();
}

void AboutViewController::HomePage() {
    openProductWebPage();
}

void AboutViewController::mousePressEvent(QMouseEvent *event) {
    // The window moves by its background, as the main window does.
    if (event->button() == Qt::LeftButton && window()->windowHandle()) {
        window()->windowHandle()->startSystemMove();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

} // namespace zembra
