// Draws the program's icons and button bitmaps into PNG files. Run once after changing a drawing:
//   orvconf_draw_art <resources/images> [<packaging/icons>]
// The second folder receives the program's icon in the desktop's icon-theme sizes.
// The PNGs are kept in the repository, so a normal build does not need this tool.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <functional>

namespace {

using Drawing = std::function<void(QPainter&)>;

// Every drawing is made on a 64x64 canvas and scaled to the size asked for.
bool Render(const QString& path, int size, const Drawing& draw) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);
    draw(painter);
    painter.end();
    return image.save(path, "PNG");
}

void Waves(QPainter& p, QPointF centre, const QColor& colour, double width) {
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    for (int i = 1; i <= 2; ++i) {
        const double r = 6.0 * i + 2.0;
        const QRectF box(centre.x() - r, centre.y() - r, 2 * r, 2 * r);
        p.drawArc(box, 30 * 16, 120 * 16);
    }
}

// Icon 128: a mast with radio waves over a serial plug, the tool in one picture.
void DrawAppIcon(QPainter& p) {
    QLinearGradient sky(0, 0, 0, 64);
    sky.setColorAt(0, QColor(46, 110, 190));
    sky.setColorAt(1, QColor(22, 60, 120));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);

    // mast
    p.setPen(QPen(QColor(240, 240, 240), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(32, 20), QPointF(22, 50));
    p.drawLine(QPointF(32, 20), QPointF(42, 50));
    p.drawLine(QPointF(26, 38), QPointF(38, 38));
    p.setBrush(QColor(255, 200, 60));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(32, 18), 4, 4);
    Waves(p, QPointF(32, 18), QColor(255, 200, 60), 3);

    // serial plug at the foot
    p.setBrush(QColor(230, 230, 230));
    p.drawRoundedRect(QRectF(18, 50, 28, 8), 2, 2);
    p.setBrush(QColor(60, 60, 60));
    for (int i = 0; i < 4; ++i) {
        p.drawEllipse(QPointF(23.5 + 5.5 * i, 54), 1.2, 1.2);
    }
}

// Icon 155: the settings pages' icon, a slider panel.
void DrawSettingsIcon(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(50, 120, 70));
    p.drawRoundedRect(QRectF(4, 4, 56, 56), 10, 10);
    p.setPen(QPen(QColor(235, 245, 235), 4, Qt::SolidLine, Qt::RoundCap));
    const double knobs[3] = {22, 40, 30};
    for (int i = 0; i < 3; ++i) {
        const double y = 18 + 14 * i;
        p.drawLine(QPointF(14, y), QPointF(50, y));
    }
    p.setPen(QPen(QColor(20, 60, 30), 2));
    p.setBrush(QColor(255, 210, 80));
    for (int i = 0; i < 3; ++i) {
        p.drawEllipse(QPointF(knobs[i], 18 + 14 * i), 5, 5);
    }
}

// Bitmap 165: an ORV radio, a box with a display, a dial and a whip antenna.
void DrawOrvRadio(QPainter& p) {
    p.setPen(QPen(QColor(30, 30, 30), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(46, 22), QPointF(52, 2));
    p.setBrush(QColor(200, 60, 50));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(52, 3), 3, 3);

    QLinearGradient body(0, 20, 0, 62);
    body.setColorAt(0, QColor(90, 95, 105));
    body.setColorAt(1, QColor(45, 48, 55));
    p.setBrush(body);
    p.setPen(QPen(QColor(20, 20, 20), 2));
    p.drawRoundedRect(QRectF(4, 20, 56, 40), 6, 6);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 220, 140));
    p.drawRoundedRect(QRectF(10, 27, 26, 12), 2, 2);
    p.setBrush(QColor(30, 80, 40));
    p.drawRect(QRectF(13, 31, 4, 4));
    p.drawRect(QRectF(19, 31, 4, 4));
    p.drawRect(QRectF(25, 31, 8, 4));

    p.setBrush(QColor(210, 210, 215));
    p.drawEllipse(QPointF(47, 40), 8, 8);
    p.setPen(QPen(QColor(40, 40, 40), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(47, 40), QPointF(47, 34));

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(25, 25, 25));
    for (int i = 0; i < 4; ++i) {
        p.drawRoundedRect(QRectF(10 + 7 * i, 46, 5, 8), 1, 1);
    }
}

// Bitmap 166: a QX260 module, a small board with its chip, pins and antenna.
void DrawQxModule(QPainter& p) {
    p.setPen(QPen(QColor(20, 70, 30), 2));
    p.setBrush(QColor(40, 140, 70));
    p.drawRoundedRect(QRectF(6, 14, 46, 42), 4, 4);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 30, 35));
    p.drawRect(QRectF(16, 24, 20, 20));
    p.setBrush(QColor(200, 170, 60));
    for (int i = 0; i < 5; ++i) {
        p.drawRect(QRectF(13, 26 + 4 * i, 3, 2));
        p.drawRect(QRectF(36, 26 + 4 * i, 3, 2));
    }
    for (int i = 0; i < 8; ++i) {
        p.drawRect(QRectF(9 + 5 * i, 50, 3, 6));
    }

    // antenna socket and stub
    p.setBrush(QColor(215, 190, 90));
    p.drawEllipse(QPointF(48, 20), 5, 5);
    p.setPen(QPen(QColor(30, 30, 30), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(48, 20), QPointF(59, 5));
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    const bool ok = Render(out.filePath("icon128.png"), 64, DrawAppIcon) &&
                    Render(out.filePath("icon128-16.png"), 16, DrawAppIcon) &&
                    Render(out.filePath("icon128-32.png"), 32, DrawAppIcon) &&
                    Render(out.filePath("icon155.png"), 64, DrawSettingsIcon) &&
                    Render(out.filePath("bitmap165.png"), 32, DrawOrvRadio) &&
                    Render(out.filePath("bitmap166.png"), 32, DrawQxModule);
    if (!ok) {
        std::fprintf(stderr, "cannot write the images to %s\n", qPrintable(out.path()));
        return 1;
    }
    if (argc > 2) {
        // Drawn at each size rather than scaled, so the small ones stay sharp.
        const QDir theme(QString::fromLocal8Bit(argv[2]));
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            const QString folder = QStringLiteral("hicolor/%1x%1/apps").arg(size);
            if (!theme.mkpath(folder) ||
                !Render(theme.filePath(folder + "/orvconf.png"), size, DrawAppIcon)) {
                std::fprintf(stderr, "cannot write the icons to %s\n", qPrintable(theme.path()));
                return 1;
            }
        }
    }
    return 0;
}
