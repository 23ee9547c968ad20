#include "CaseFile.h"
#include "DroppedLink.h"

#include <QMimeData>
#include <QStringEncoder>

namespace {

TEST(LinkFromDrop, readsUrlAndNameFromWhatBrowsersPutOnADrag)
{
    for (const CaseRow &c : ReadCaseRows(QStringLiteral(TEST_DATA "/drops.tsv"))) {
        SCOPED_TRACE(c.fields[0].toStdString() + " (line " + std::to_string(c.line) + ")");
        QMimeData mime;
        for (const QByteArray &entry : c.fields.mid(3)) {
            QByteArray format = entry.left(entry.indexOf('=')), bytes = Unescaped(entry.mid(entry.indexOf('=') + 1));
            if (format.startsWith("utf-16")) {
                const bool be = format.startsWith("utf-16be:");
                QStringEncoder encoder(be ? QStringConverter::Utf16BE : QStringConverter::Utf16LE,
                                       be ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
                bytes = encoder.encode(QString::fromUtf8(bytes));
                format = format.mid(9);
            }
            mime.setData(QString::fromUtf8(format), bytes);
        }
        const std::optional<DroppedLink> link = LinkFromDrop(mime);
        ASSERT_EQ(link.has_value(), c.fields[1] != "-");
        if (link) {
            EXPECT_EQ(link->url, QString::fromUtf8(c.field(1)));
            EXPECT_EQ(link->name, QString::fromUtf8(c.field(2)));
        }
    }
}

} // namespace
