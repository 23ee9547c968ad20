#pragma once

#include <QImage>
#include <QVector>

// The 16 colours of the VGA palette.
QVector<QRgb> VgaPalette();
// Every pixel to its nearest colour of `palette`; pixels under half opaque become the extra,
// transparent entry when `transparent` is set.
QImage ToPalette(const QImage &source, const QVector<QRgb> &palette, bool transparent);
// The 256 most used colours, binned at 5 bits per channel, each bin by its mean colour.
QVector<QRgb> PopularColours(const QImage &image);
