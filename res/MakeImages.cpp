// Draws the program's icons and banner and writes them as PNG files into the folder given as the
// only argument, with the application icon also as SVG. Run by the build, so the images are made
// from this source rather than kept as binaries. The 16 and 32 pixel icons keep to the 16 colours
// of a classic Windows icon (plus transparency), the banner to 256 colours, the depths the window
// was designed with; the application icon's other sizes, for the desktop's icon theme, are the
// 32 pixel design drawn smooth at their size.
#include "ImagePalette.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

QImage canvas(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

QPointF inside(const QRectF &r, double fx, double fy)
{
    return QPointF(r.left() + fx * r.width(), r.top() + fy * r.height());
}

// The two continents of the globe in `r`.
std::vector<QPolygonF> globeLand(const QRectF &r)
{
    const auto at = [&r](double fx, double fy) { return inside(r, fx, fy); };
    return {QPolygonF{at(0.18, 0.22), at(0.45, 0.14), at(0.52, 0.35), at(0.40, 0.55), at(0.30, 0.80), at(0.20, 0.58), at(0.10, 0.40)},
            QPolygonF{at(0.60, 0.20), at(0.85, 0.30), at(0.92, 0.55), at(0.75, 0.62), at(0.68, 0.85), at(0.58, 0.60)}};
}

// The meridian ellipse, then the straight meridian, the equator and two parallels.
QRectF globeMeridian(const QRectF &r)
{
    return QRectF(r.center().x() - r.width() * 0.22, r.top(), r.width() * 0.44, r.height());
}

std::vector<QLineF> globeGridLines(const QRectF &r)
{
    return {QLineF(r.center().x(), r.top(), r.center().x(), r.bottom()),
            QLineF(r.left(), r.center().y(), r.right(), r.center().y()),
            QLineF(inside(r, 0.08, 0.28), inside(r, 0.92, 0.28)), QLineF(inside(r, 0.08, 0.72), inside(r, 0.92, 0.72))};
}

// The two links of the chain in `r`, and the widths of their gold line and its darker rim.
struct ChainLinks
{
    QRectF first, second;
    double width, rimWidth;
};

ChainLinks chainLinks(const QRectF &r)
{
    const double t = std::max(1.0, r.width() / 10.0);
    return {QRectF(r.left(), r.top() + r.height() * 0.25, r.width() * 0.62, r.height() * 0.42),
            QRectF(r.left() + r.width() * 0.38, r.top() + r.height() * 0.33, r.width() * 0.62, r.height() * 0.42), t,
            t + 1.5};
}

// The application icon's design on a 32 unit square.
const QRectF kIconGlobe(1, 1, 25, 25);
const QRectF kIconChain(15, 17, 16, 14);
const QColor kSea(0, 0, 255), kCoast(0, 0, 128), kLand(0, 128, 0), kGrid(0, 255, 255), kGold(255, 255, 0),
    kDarkGold(128, 128, 0);

// A globe: blue sea, green land, a white grid of meridians and parallels.
void drawGlobe(QPainter &p, const QRectF &r, bool detailed)
{
    p.setPen(QPen(kCoast, r.width() / 24.0));
    p.setBrush(kSea);
    p.drawEllipse(r);
    p.save();
    QPainterPath clip;
    clip.addEllipse(r);
    p.setClipPath(clip);
    p.setPen(Qt::NoPen);
    p.setBrush(kLand);
    for (const QPolygonF &land : globeLand(r))
        p.drawPolygon(land);
    if (detailed) {
        p.setPen(QPen(kGrid, r.width() / 32.0));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(globeMeridian(r));
        for (const QLineF &line : globeGridLines(r))
            p.drawLine(line);
    }
    p.restore();
}

// Two interlocked links of a chain, in gold.
void drawChain(QPainter &p, const QRectF &r)
{
    p.setBrush(Qt::NoBrush);
    const ChainLinks links = chainLinks(r);
    for (const auto &[colour, width] : {std::pair(kDarkGold, links.rimWidth), std::pair(kGold, links.width)}) {
        p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
        for (const QRectF &link : {links.first, links.second})
            p.drawRoundedRect(link, link.height() / 2, link.height() / 2);
    }
}

// At 16 pixels the grid and the chain would be a blur: the small icon is the plain globe.
QImage appIcon(int size)
{
    QImage image = canvas(size, size);
    QPainter p(&image);
    if (size == 16) {
        drawGlobe(p, QRectF(0.5, 0.5, 14.5, 14.5), false);
        return image;
    }
    if (size != 32) {
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 32.0, size / 32.0);
    }
    drawGlobe(p, kIconGlobe, true);
    drawChain(p, kIconChain);
    return image;
}

QString svgColour(const QColor &colour) { return colour.name(QColor::HexRgb); }
QString svgNumber(double value) { return QString::number(value, 'g', 6); }

QString svgPoints(const QPolygonF &polygon)
{
    QStringList points;
    for (const QPointF &point : polygon)
        points << svgNumber(point.x()) + QLatin1Char(',') + svgNumber(point.y());
    return points.join(QLatin1Char(' '));
}

QString svgEllipse(const QRectF &r, const QString &style)
{
    return QStringLiteral("<ellipse cx=\"%1\" cy=\"%2\" rx=\"%3\" ry=\"%4\" %5/>")
        .arg(svgNumber(r.center().x()), svgNumber(r.center().y()), svgNumber(r.width() / 2), svgNumber(r.height() / 2), style);
}

// The same design as appIcon() for its larger sizes, for desktops that scale icons freely.
QByteArray appIconSvg()
{
    const QRectF &r = kIconGlobe;
    QStringList svg{QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"),
                    QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\" viewBox=\"0 0 32 32\">"),
                    QStringLiteral("<clipPath id=\"globe\">") + svgEllipse(r, QString()) + QStringLiteral("</clipPath>"),
                    svgEllipse(r, QStringLiteral("fill=\"%1\" stroke=\"%2\" stroke-width=\"%3\"")
                                      .arg(svgColour(kSea), svgColour(kCoast), svgNumber(r.width() / 24.0))),
                    QStringLiteral("<g clip-path=\"url(#globe)\">")};
    for (const QPolygonF &land : globeLand(r))
        svg << QStringLiteral("<polygon points=\"%1\" fill=\"%2\"/>").arg(svgPoints(land), svgColour(kLand));
    const QString grid = QStringLiteral("fill=\"none\" stroke=\"%1\" stroke-width=\"%2\" stroke-linecap=\"square\"")
                             .arg(svgColour(kGrid), svgNumber(r.width() / 32.0));
    svg << svgEllipse(globeMeridian(r), grid);
    for (const QLineF &line : globeGridLines(r)) {
        svg << QStringLiteral("<line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%4\" %5/>")
                   .arg(svgNumber(line.x1()), svgNumber(line.y1()), svgNumber(line.x2()), svgNumber(line.y2()), grid);
    }
    svg << QStringLiteral("</g>");
    const ChainLinks links = chainLinks(kIconChain);
    for (const auto &[colour, width] : {std::pair(kDarkGold, links.rimWidth), std::pair(kGold, links.width)}) {
        for (const QRectF &link : {links.first, links.second}) {
            svg << QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" fill=\"none\" "
                                  "stroke=\"%6\" stroke-width=\"%7\"/>")
                       .arg(svgNumber(link.x()), svgNumber(link.y()), svgNumber(link.width()), svgNumber(link.height()),
                            svgNumber(link.height() / 2), svgColour(colour), svgNumber(width));
        }
    }
    svg << QStringLiteral("</svg>");
    return svg.join(QLatin1Char('\n')).toUtf8() + '\n';
}

// A sheet of paper with a folded corner: the site entry that the buttons act on; a blank one
// (not `written`) for a site still to be written.
void drawSheet(QPainter &p, bool written = true)
{
    QPolygonF sheet{QPointF(4, 2), QPointF(19, 2), QPointF(25, 8), QPointF(25, 29), QPointF(4, 29)};
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawPolygon(sheet);
    p.setBrush(QColor(192, 192, 192));
    p.drawPolygon(QPolygonF{QPointF(19, 2), QPointF(19, 8), QPointF(25, 8)});
    p.setPen(QPen(QColor(128, 128, 128), 1));
    for (int y = 12; y <= 24 && written; y += 4)
        p.drawLine(8, y, 21, y);
}

// The sheet with a round badge in its corner, the painter left ready to draw the badge's symbol.
void drawBadgedSheet(QPainter &p, const QColor &edge, const QColor &fill)
{
    drawSheet(p);
    p.setPen(QPen(edge, 1));
    p.setBrush(fill);
    p.drawEllipse(QRectF(16, 16, 15, 15));
}

QImage registerIcon()
{
    QImage image = canvas(32, 32);
    QPainter p(&image);
    drawBadgedSheet(p, QColor(0, 128, 0), QColor(0, 255, 0));
    p.fillRect(QRectF(19, 22, 9, 3), Qt::white);
    p.fillRect(QRectF(22, 19, 3, 9), Qt::white);
    return image;
}

// 新規: a blank sheet with a yellow star in its corner.
QImage newIcon()
{
    QImage image = canvas(32, 32);
    QPainter p(&image);
    drawSheet(p, false);
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const double radius = i % 2 == 0 ? 8.5 : 3.5;
        const double angle = (i * 36.0 - 90.0) * 3.14159265358979 / 180.0;
        star << QPointF(23.5 + radius * std::cos(angle), 23.5 + radius * std::sin(angle));
    }
    p.setPen(QPen(QColor(128, 128, 0), 1));
    p.setBrush(QColor(255, 255, 0));
    p.drawPolygon(star);
    return image;
}

QImage deleteIcon()
{
    QImage image = canvas(32, 32);
    QPainter p(&image);
    drawBadgedSheet(p, QColor(128, 0, 0), QColor(255, 0, 0));
    p.setPen(QPen(Qt::white, 3));
    p.drawLine(QPointF(20, 20), QPointF(27, 27));
    p.drawLine(QPointF(27, 20), QPointF(20, 27));
    return image;
}

QImage updateIcon()
{
    QImage image = canvas(32, 32);
    QPainter p(&image);
    drawSheet(p);
    // A pencil writing on the sheet: yellow body, grey ferrule, bare wood and a dark tip.
    p.translate(19, 19);
    p.rotate(-45);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(255, 255, 0));
    p.drawRect(QRectF(-2, -4, 16, 8));
    p.setBrush(QColor(128, 128, 128));
    p.drawRect(QRectF(12, -4, 3, 8));
    p.setBrush(QColor(255, 255, 255));
    p.drawPolygon(QPolygonF{QPointF(-2, -4), QPointF(-9, 0), QPointF(-2, 4)});
    p.setBrush(Qt::black);
    p.drawPolygon(QPolygonF{QPointF(-6, -2), QPointF(-9, 0), QPointF(-6, 2)});
    return image;
}

QFont bannerFont(int pixelSize, bool bold)
{
    const QStringList families = QFontDatabase::families();
    QFont font;
    for (const char *family : {"ＭＳ Ｐゴシック", "IPAPGothic", "IPAGothic"}) {
        if (families.contains(QString::fromUtf8(family))) {
            font = QFont(QString::fromUtf8(family));
            break;
        }
    }
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QImage banner()
{
    const int width = 548, height = 77;
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient sky(0, 0, width, height);
    sky.setColorAt(0, QColor(10, 36, 106));
    sky.setColorAt(0.55, QColor(36, 92, 170));
    sky.setColorAt(1, QColor(166, 202, 240));
    p.fillRect(image.rect(), sky);
    // Faint orbits behind the title, like links around the world.
    p.setPen(QPen(QColor(255, 255, 255, 40), 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(-40, 8, 260, 60));
    p.drawEllipse(QRectF(330, -30, 260, 90));
    p.setRenderHint(QPainter::Antialiasing, true);
    QRadialGradient shine(QPointF(34, 28), 40);
    drawGlobe(p, QRectF(12, 9, 58, 58), true);
    shine.setColorAt(0, QColor(255, 255, 255, 90));
    shine.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shine);
    p.drawEllipse(QRectF(12, 9, 58, 58));
    drawChain(p, QRectF(52, 44, 26, 22));

    const QString title = QString::fromUtf8("サイト管理");
    p.setFont(bannerFont(40, true));
    p.setPen(QColor(0, 0, 40, 150));
    p.drawText(QPointF(94, 50), title);
    p.setPen(Qt::white);
    p.drawText(QPointF(92, 48), title);
    p.setFont(bannerFont(13, false));
    p.setPen(QColor(220, 232, 255));
    p.drawText(QPointF(300, 34), QString::fromUtf8("サイトとリンクの登録"));
    p.drawText(QPointF(300, 54), QString::fromUtf8("リンク集の HTML を作成"));
    p.end();
    return ToPalette(image, PopularColours(image), false);
}

bool save(const QImage &image, const QDir &dir, const QString &name)
{
    if (image.save(dir.filePath(name), "PNG"))
        return true;
    std::fprintf(stderr, "MakeImages: cannot write %s\n", qPrintable(dir.filePath(name)));
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    // Drawing text needs the font database of a GUI application, but never a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: MakeImages OUTPUT-DIR\n");
        return 2;
    }
    QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(QStringLiteral(".")))
        return 1;
    const QVector<QRgb> vga = VgaPalette();
    bool ok = true;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QImage icon = size == 16 || size == 32 ? ToPalette(appIcon(size), vga, true) : appIcon(size);
        ok = save(icon, dir, QStringLiteral("icon128-%1.png").arg(size)) && ok;
    }
    QFile svg(dir.filePath(QStringLiteral("icon128.svg")));
    if (!svg.open(QIODevice::WriteOnly) || svg.write(appIconSvg()) < 0 || !svg.flush()) {
        std::fprintf(stderr, "MakeImages: cannot write %s\n", qPrintable(svg.fileName()));
        ok = false;
    }
    ok = save(ToPalette(registerIcon(), vga, true), dir, QStringLiteral("icon135-32.png")) && ok;
    ok = save(ToPalette(deleteIcon(), vga, true), dir, QStringLiteral("icon136-32.png")) && ok;
    ok = save(ToPalette(updateIcon(), vga, true), dir, QStringLiteral("icon137-32.png")) && ok;
    ok = save(ToPalette(newIcon(), vga, true), dir, QStringLiteral("icon138-32.png")) && ok;
    ok = save(banner(), dir, QStringLiteral("bitmap132.png")) && ok;
    return ok ? 0 : 1;
}
