#include "leftovers/screens/ApplicationImages.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>
#include <functional>

namespace zembra {

namespace {

QPixmap draw(int size, const std::function<void(QPainter &, double)> &paint) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    paint(p, size / 64.0);
    return pixmap;
}

void gear(QPainter &p, double s) {
    p.scale(s, s);
    QLinearGradient face(0, 4, 0, 60);
    face.setColorAt(0, QColor(150, 156, 166));
    face.setColorAt(1, QColor(92, 98, 110));
    QPainterPath teeth;
    const int count = 10;
    for (int i = 0; i < count; ++i) {
        const double a = i * 2 * M_PI / count;
        QPainterPath tooth;
        tooth.addRoundedRect(QRectF(-5, -29, 10, 14), 2, 2);
        QTransform t;
        t.translate(32, 32);
        t.rotateRadians(a);
        teeth.addPath(t.map(tooth));
    }
    QPainterPath body;
    body.addEllipse(QPointF(32, 32), 20, 20);
    QPainterPath hole;
    hole.addEllipse(QPointF(32, 32), 8, 8);
    p.setPen(QPen(QColor(70, 74, 84), 1.5));
    p.setBrush(face);
    p.drawPath(teeth.united(body).subtracted(hole));
}

void rocket(QPainter &p, double s) {
    p.scale(s, s);
    QLinearGradient badge(0, 2, 0, 62);
    badge.setColorAt(0, QColor(255, 170, 60));
    badge.setColorAt(1, QColor(230, 110, 20));
    p.setPen(Qt::NoPen);
    p.setBrush(badge);
    p.drawRoundedRect(QRectF(4, 4, 56, 56), 12, 12);
    // A rocket pointing up and to the right: body, window, fins, flame.
    p.translate(32, 32);
    p.rotate(45);
    QPainterPath body;
    body.moveTo(0, -22);
    body.cubicTo(9, -14, 9, 6, 6, 12);
    body.lineTo(-6, 12);
    body.cubicTo(-9, 6, -9, -14, 0, -22);
    p.setBrush(Qt::white);
    p.drawPath(body);
    p.setBrush(QColor(230, 110, 20));
    p.drawEllipse(QPointF(0, -6), 3.5, 3.5);
    p.setBrush(QColor(255, 255, 255, 220));
    QPolygonF left{{-6, 4}, {-13, 14}, {-6, 12}};
    QPolygonF right{{6, 4}, {13, 14}, {6, 12}};
    p.drawPolygon(left);
    p.drawPolygon(right);
    p.setBrush(QColor(255, 236, 150));
    QPolygonF flame{{-4, 13}, {0, 22}, {4, 13}};
    p.drawPolygon(flame);
}

void magnifier(QPainter &p, double s) {
    p.scale(s, s);
    QPen pen(QColor(90, 96, 106), 6, Qt::SolidLine, Qt::RoundCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(27, 27), 16, 16);
    pen.setWidth(9);
    p.setPen(pen);
    p.drawLine(QPointF(39, 39), QPointF(54, 54));
}

QIcon makeIcon(const std::function<void(QPainter &, double)> &paint) {
    QIcon icon;
    for (int size : {16, 32, 64, 128})
        icon.addPixmap(draw(size, paint));
    return icon;
}

} // namespace

QIcon applicationImage(const QString &name) {
    static QHash<QString, QIcon> cache;
    auto it = cache.constFind(name);
    if (it != cache.constEnd())
        return *it;
    QIcon icon;
    if (name == QLatin1String("preferences"))
        icon = makeIcon(gear);
    else if (name == QLatin1String("launch_agent"))
        icon = makeIcon(rocket);
    else if (name == QLatin1String("reveal"))
        icon = makeIcon(magnifier);
    cache.insert(name, icon);
    return icon;
}

} // namespace zembra
