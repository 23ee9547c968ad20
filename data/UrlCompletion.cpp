#include "UrlCompletion.h"

#include <QRegularExpression>

bool HasExplicitScheme(const QString &text)
{
    // Two letters at least, so that a Windows drive ("C://") is not taken for a scheme.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.\\-]+://"));
    return scheme.match(text.trimmed()).hasMatch();
}

QUrl CompleteUrl(const QString &text)
{
    const QString trimmed = text.trimmed();
    // QUrl::fromUserInput rescues an invalid "http://exa mple.jp" by putting another "http://" in
    // front, which opens host "http" instead: an address the user wrote out in full is taken as
    // written or not at all.
    if (HasExplicitScheme(trimmed))
        return QUrl(trimmed, QUrl::TolerantMode);
    return QUrl::fromUserInput(trimmed);
}
