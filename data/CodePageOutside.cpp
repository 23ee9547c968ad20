// TODO(s25browser): temporary stand-in for s21text's CodePage::fromOutsideText and urlFromText;
// this file goes when that branch is merged.
#include "CodePage.h"

#include <QUrl>

QByteArray CodePage::fromOutsideText(const QString &text)
{
    QByteArray out;
    const QList<uint> points = text.toUcs4();
    for (uint c : points) {
        if (c < 0x20)
            continue;
        switch (c) {
        case '&': out += "&amp;"; continue;
        case '<': out += "&lt;"; continue;
        case '>': out += "&gt;"; continue;
        case '"': out += "&quot;"; continue;
        default: break;
        }
        QByteArray bytes;
        const QString one = QString::fromUcs4(reinterpret_cast<const char32_t *>(&c), 1);
        if (fromText(one, bytes))
            out += bytes;
        else
            out += "&#" + QByteArray::number(c) + ';';
    }
    return out;
}

QByteArray CodePage::urlFromText(const QString &url)
{
    return QUrl(url, QUrl::TolerantMode).toEncoded();
}
