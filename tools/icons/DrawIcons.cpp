// Draws the application's own images (fallback file-type icons, the review's
// "preferences" and "launch_agent" images, the drop target and the brand mark) as PNG
// files into a folder: src/resources/images holds its output.
//
//   zembra-draw-icons OUTPUT_DIR
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

const QColor kInk(76, 76, 76);
const QColor kPaper(250, 250, 250);

QImage canvas(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A sheet of paper with a folded corner; `body` draws what is printed on it.
void document(QPainter &p, const QColor &accent, const std::function<void(QPainter &)> &body) {
    QPainterPath sheet;
    sheet.moveTo(14, 4);
    sheet.lineTo(40, 4);
    sheet.lineTo(52, 16);
    sheet.lineTo(52, 60);
    sheet.lineTo(14, 60);
    sheet.closeSubpath();
    p.setPen(QPen(QColor(150, 150, 150), 1.5));
    p.setBrush(kPaper);
    p.drawPath(sheet);
    p.setBrush(QColor(220, 220, 220));
    p.drawPolygon(QPolygonF({QPointF(40, 4), QPointF(40, 16), QPointF(52, 16)}));
    p.setPen(Qt::NoPen);
    p.setBrush(accent);
    p.drawRect(QRectF(14.75, 50, 36.5, 9.25));
    body(p);
}

void lines(QPainter &p, const QColor &colour, int count, double top) {
    p.setPen(QPen(colour, 2.5, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < count; ++i) {
        const double y = top + i * 6.5;
        p.drawLine(QPointF(20, y), QPointF(i % 2 ? 38 : 46, y));
    }
}

void folder(QPainter &p) {
    QLinearGradient g(0, 14, 0, 56);
    g.setColorAt(0, QColor(102, 178, 255));
    g.setColorAt(1, QColor(30, 130, 240));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 140, 230));
    p.drawRoundedRect(QRectF(4, 10, 24, 12), 3, 3);
    p.setBrush(g);
    p.drawRoundedRect(QRectF(4, 16, 56, 40), 4, 4);
    p.setBrush(QColor(255, 255, 255, 70));
    p.drawRect(QRectF(4, 22, 56, 2));
}

void application(QPainter &p) {
    QLinearGradient g(0, 6, 0, 58);
    g.setColorAt(0, QColor(90, 170, 255));
    g.setColorAt(1, QColor(0, 89, 228));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(QRectF(6, 6, 52, 52), 12, 12);
    // A stylised "A" made of three strokes, as on an application icon.
    p.setPen(QPen(Qt::white, 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(22, 46), QPointF(32, 18));
    p.drawLine(QPointF(42, 46), QPointF(32, 18));
    p.drawLine(QPointF(20, 38), QPointF(44, 38));
}

void bundle(QPainter &p) {
    // A plug-in: a box with a plug on its right side.
    p.setPen(QPen(QColor(120, 80, 20), 1.5));
    QLinearGradient g(0, 10, 0, 56);
    g.setColorAt(0, QColor(250, 205, 120));
    g.setColorAt(1, QColor(220, 160, 60));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(6, 14, 40, 40), 5, 5);
    p.setBrush(QColor(150, 150, 150));
    p.drawRect(QRectF(46, 26, 8, 16));
    p.setPen(QPen(QColor(110, 110, 110), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(54, 30), QPointF(60, 30));
    p.drawLine(QPointF(54, 38), QPointF(60, 38));
    p.setPen(QPen(QColor(255, 255, 255, 160), 2));
    p.drawLine(QPointF(12, 24), QPointF(40, 24));
}

void gear(QPainter &p, const QPointF &c, double outer, double inner, const QColor &colour) {
    QPainterPath path;
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const double a0 = (i - 0.5) * M_PI / teeth, a1 = (i + 0.5) * M_PI / teeth;
        const double r = i % 2 ? inner : outer;
        const QPointF toothStart = c + QPointF(std::cos(a0) * r, std::sin(a0) * r);
        const QPointF toothEnd = c + QPointF(std::cos(a1) * r, std::sin(a1) * r);
        if (i == 0)
            path.moveTo(toothStart);
        else
            path.lineTo(toothStart);
        path.lineTo(toothEnd);
    }
    path.closeSubpath();
    path.addEllipse(c, inner * 0.45, inner * 0.45);
    path.setFillRule(Qt::OddEvenFill);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(path);
}

void preferences(QPainter &p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(235, 235, 238));
    p.drawRoundedRect(QRectF(4, 4, 56, 56), 12, 12);
    gear(p, QPointF(32, 32), 24, 18, QColor(110, 110, 118));
}

void launchAgent(QPainter &p) {
    // A clock face with a start arrow: something the system starts by itself.
    p.setPen(QPen(QColor(40, 40, 40), 2));
    QRadialGradient g(QPointF(28, 26), 30);
    g.setColorAt(0, QColor(255, 255, 255));
    g.setColorAt(1, QColor(210, 215, 225));
    p.setBrush(g);
    p.drawEllipse(QPointF(32, 32), 27, 27);
    p.setPen(QPen(kInk, 3.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(32, 32), QPointF(32, 14));
    p.drawLine(QPointF(32, 32), QPointF(44, 38));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(52, 199, 89));
    p.drawEllipse(QPointF(46, 48), 12, 12);
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF({QPointF(42, 42), QPointF(53, 48), QPointF(42, 54)}));
}

void dropTarget(QPainter &p) {
    p.setPen(QPen(QColor(170, 175, 185), 3, Qt::DashLine, Qt::RoundCap));
    p.setBrush(QColor(245, 247, 250));
    p.drawRoundedRect(QRectF(6, 6, 148, 148), 22, 22);
    p.setPen(Qt::NoPen);
    QLinearGradient g(0, 36, 0, 116);
    g.setColorAt(0, QColor(0, 148, 239));
    g.setColorAt(1, QColor(0, 89, 228));
    p.setBrush(g);
    QPainterPath arrow;
    arrow.moveTo(68, 36);
    arrow.lineTo(92, 36);
    arrow.lineTo(92, 80);
    arrow.lineTo(110, 80);
    arrow.lineTo(80, 114);
    arrow.lineTo(50, 80);
    arrow.lineTo(68, 80);
    arrow.closeSubpath();
    p.drawPath(arrow);
    p.setBrush(QColor(170, 175, 185));
    p.drawRoundedRect(QRectF(44, 122, 72, 6), 3, 3);
}

void brand(QPainter &p) {
    // The brand mark: a rounded square with zebra stripes and a "z".
    QLinearGradient g(0, 0, 0, 96);
    g.setColorAt(0, QColor(40, 40, 44));
    g.setColorAt(1, QColor(10, 10, 12));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(QRectF(4, 4, 88, 88), 20, 20);
    p.setBrush(QColor(255, 255, 255, 40));
    for (int i = 0; i < 4; ++i)
        p.drawPolygon(QPolygonF({QPointF(10 + i * 22, 92), QPointF(22 + i * 22, 92),
                                 QPointF(46 + i * 22, 4), QPointF(34 + i * 22, 4)}));
    p.setPen(QPen(Qt::white, 9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(30, 30), QPointF(66, 30), QPointF(30, 66), QPointF(66, 66)}));
}

bool save(const QString &dir, const QString &name, int size,
          const std::function<void(QPainter &)> &draw, double scale = 1.0) {
    QImage image = canvas(size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    draw(p);
    p.end();
    return image.save(dir + QLatin1Char('/') + name + QLatin1String(".png"));
}

} // namespace

int main(int argc, char **argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: zembra-draw-icons OUTPUT_DIR\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    bool ok = true;
    ok &= save(out, QStringLiteral("folder"), 64, folder);
    ok &= save(out, QStringLiteral("file"), 64,
               [](QPainter &p) { document(p, QColor(190, 190, 190), [](QPainter &) {}); });
    ok &= save(out, QStringLiteral("plist"), 64, [](QPainter &p) {
        document(p, QColor(150, 110, 230),
                 [](QPainter &q) { lines(q, QColor(150, 110, 230), 5, 14); });
    });
    ok &= save(out, QStringLiteral("log"), 64, [](QPainter &p) {
        document(p, QColor(120, 120, 120), [](QPainter &q) { lines(q, kInk, 5, 14); });
    });
    ok &= save(out, QStringLiteral("application"), 64, application);
    ok &= save(out, QStringLiteral("bundle"), 64, bundle);
    ok &= save(out, QStringLiteral("preferences"), 64, preferences);
    ok &= save(out, QStringLiteral("launch_agent"), 64, launchAgent);
    ok &= save(out, QStringLiteral("drop_target"), 160, dropTarget);
    ok &= save(out, QStringLiteral("brand"), 96, brand);
    return ok ? 0 : 1;
}
