#include "BrowserLauncher.h"
#include "CaseFile.h"
#include "TempRegister.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

const QString kRefused = QStringLiteral("ブラウザを起動できませんでした。\n");

// Every part of the URL decoded, the host from its ACE form too, so that a comparison with the
// text the user registered fails on any character that was decoded wrongly on the way.
QString Readable(const QUrl &url)
{
    QString out = url.scheme() + QStringLiteral("://")
                  + QUrl::fromAce(url.host(QUrl::FullyEncoded).toLatin1(), QUrl::IgnoreIDNWhitelist)
                  + url.path(QUrl::FullyDecoded);
    if (url.hasQuery())
        out += QLatin1Char('?') + url.query(QUrl::FullyDecoded);
    if (url.hasFragment())
        out += QLatin1Char('#') + url.fragment(QUrl::FullyDecoded);
    return out;
}

// The opener records what it is handed, so a refused address would show there; it accepts each
// address but where the case expects a message (the desktop refused the hand-over).
TEST(BrowserLauncher, handsOverCharacterForCharacterOrRefusesWithMessage)
{
    for (const CaseRow &c : ReadCaseRows(QStringLiteral(TEST_DATA "/launcher_cases.tsv"))) {
        SCOPED_TRACE(c.fields[0].toStdString());
        const QString arrives = QString::fromUtf8(c.field(2));
        QString message = QString::fromUtf8(c.field(3)).replace(QStringLiteral("REFUSED"), kRefused);
        message.replace(QRegularExpression(QStringLiteral("^OTHER\\(([^)]*)\\)")),
                        QStringLiteral("「\\1:」のアドレスはブラウザに渡しません。開けるのは http、https、ftp のアドレスだけです。\n"));
        std::vector<QUrl> offered;
        const BrowserLauncher launcher([&](const QUrl &url) {
            offered.push_back(url);
            return message.isEmpty();
        });
        const BrowserResult result = launcher.open(CaseField(c.fields.value(1), SjisOf));
        EXPECT_EQ(result.opened, !arrives.isEmpty() && message.isEmpty());
        EXPECT_EQ(result.message, message);
        ASSERT_EQ(offered.size(), arrives.isEmpty() ? 0u : 1u);
        if (!arrives.isEmpty()) {
            EXPECT_TRUE(offered[0].isValid());
            EXPECT_EQ(Readable(offered[0]), arrives);
        }
    }
}

} // namespace
