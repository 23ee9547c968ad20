#include "ImagePalette.h"

#include <QHash>

#include <algorithm>
#include <vector>

namespace {

const QRgb kVga[16] = {0xff000000, 0xff800000, 0xff008000, 0xff808000, 0xff000080, 0xff800080,
                       0xff008080, 0xffc0c0c0, 0xff808080, 0xffff0000, 0xff00ff00, 0xffffff00,
                       0xff0000ff, 0xffff00ff, 0xff00ffff, 0xffffffff};

int distance(QRgb a, QRgb b)
{
    const int r = qRed(a) - qRed(b), g = qGreen(a) - qGreen(b), bl = qBlue(a) - qBlue(b);
    return r * r * 3 + g * g * 4 + bl * bl * 2;
}

int nearest(QRgb colour, const QVector<QRgb> &table, int count)
{
    int best = 0;
    for (int i = 1; i < count; ++i) {
        if (distance(colour, table[i]) < distance(colour, table[best]))
            best = i;
    }
    return best;
}

} // namespace

QVector<QRgb> VgaPalette()
{
    return QVector<QRgb>(std::begin(kVga), std::end(kVga));
}

QImage ToPalette(const QImage &source, const QVector<QRgb> &palette, bool transparent)
{
    QImage argb = source.convertToFormat(QImage::Format_ARGB32);
    QImage out(argb.size(), QImage::Format_Indexed8);
    QVector<QRgb> table = palette;
    if (transparent)
        table.append(qRgba(0, 0, 0, 0));
    out.setColorTable(table);
    QHash<QRgb, int> cache;
    for (int y = 0; y < argb.height(); ++y) {
        const QRgb *in = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        uchar *line = out.scanLine(y);
        for (int x = 0; x < argb.width(); ++x) {
            if (transparent && qAlpha(in[x]) < 128) {
                line[x] = uchar(palette.size());
                continue;
            }
            const QRgb opaque = in[x] | 0xff000000;
            auto hit = cache.constFind(opaque);
            if (hit == cache.constEnd())
                hit = cache.insert(opaque, nearest(opaque, palette, int(palette.size())));
            line[x] = uchar(*hit);
        }
    }
    return out;
}

QVector<QRgb> PopularColours(const QImage &image)
{
    struct Bin { long long r = 0, g = 0, b = 0, n = 0; };
    std::vector<Bin> bins(1 << 15);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            Bin &bin = bins[((qRed(c) >> 3) << 10) | ((qGreen(c) >> 3) << 5) | (qBlue(c) >> 3)];
            bin.r += qRed(c), bin.g += qGreen(c), bin.b += qBlue(c), ++bin.n;
        }
    }
    std::vector<const Bin *> used;
    for (const Bin &bin : bins) {
        if (bin.n)
            used.push_back(&bin);
    }
    std::sort(used.begin(), used.end(), [](const Bin *a, const Bin *b) { return a->n > b->n; });
    QVector<QRgb> palette;
    for (std::size_t i = 0; i < used.size() && i < 256; ++i)
        palette.append(qRgb(int(used[i]->r / used[i]->n), int(used[i]->g / used[i]->n), int(used[i]->b / used[i]->n)));
    return palette;
}
