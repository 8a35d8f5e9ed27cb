#include "preferences/screens/PreferencesViewController.h"

#include "platform/SettingsStore.h"
#include "preferences/PreferenceKeys.h"
#include "ui_PreferencesViewController.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QtMath>

namespace zembra {

namespace {

// A gear, for desktops whose icon theme has no preferences image.
QIcon drawnGeneralImage() {
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath gear;
    const QPointF centre(32, 32);
    constexpr int kTeeth = 8;
    for (int i = 0; i < kTeeth; ++i) {
        const qreal a = i * 2 * M_PI / kTeeth;
        QPainterPath tooth;
        tooth.addRoundedRect(QRectF(-5, -29, 10, 14), 2, 2);
        gear.addPath(QTransform().translate(centre.x(), centre.y()).rotateRadians(a).map(tooth));
    }
    gear.addEllipse(centre, 20, 20);
    gear = gear.simplified();
    QPainterPath hole;
    hole.addEllipse(centre, 8, 8);
    p.fillPath(gear.subtracted(hole), QColor(0x6e, 0x6e, 0x73));
    return QIcon(pixmap);
}

} // namespace

PreferencesViewController::PreferencesViewController(platform::SettingsStore &app_settings,
                                                     QWidget *parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::PreferencesViewController>()),
      m_app_settings(app_settings) {
    m_ui->setupUi(this);
    connect(m_ui->defaultAppsButton, &QCheckBox::clicked, this,
            &PreferencesViewController::includeDefaultApps);
    connect(m_ui->utilitiesButton, &QCheckBox::clicked, this,
            &PreferencesViewController::IncludeUtilities);
    viewDidLoad();
}

PreferencesViewController::~PreferencesViewController() = default;

QString PreferencesViewController::identifier() const {
    return QStringLiteral("PreferencesMain");
}

QString PreferencesViewController::toolbarItemLabel() const {
    return tr("General");
}

QIcon PreferencesViewController::toolbarItemImage() const {
    static const QIcon image =
        QIcon::fromTheme(QStringLiteral("preferences-system"), drawnGeneralImage());
    return image;
}

void PreferencesViewController::viewDidLoad() {
    // A key that is not 1 leaves the box as the form has it.
    if (m_app_settings.integerForKey(preferences::kIncludeDefaultApps) == 1)
        m_ui->defaultAppsButton->setChecked(true);
    if (m_app_settings.integerForKey(preferences::kIncludeUtilities) == 1)
        m_ui->utilitiesButton->setChecked(true);
}

void PreferencesViewController::includeDefaultApps(bool on) {
    m_app_settings.setInteger(preferences::kIncludeDefaultApps, on ? 1 : 0);
}

void PreferencesViewController::IncludeUtilities(bool on) {
    m_app_settings.setInteger(preferences::kIncludeUtilities, on ? 1 : 0);
}

} // namespace zembra
