#include "ConflictCopyName.h"

#include <QRegularExpression>

#include <vector>

namespace {

struct Pattern
{
    const char *tool;
    QRegularExpression name; // captures the original's stem and its extension
};

// Dropbox names the computer and says "conflicted copy" in the language of that computer.
#define DROPBOX_WORDS                                                                                       \
    "conflicted copy|競合コピー|Konfliktkopie|in Konflikt stehende Kopie|copie en conflit|copia en conflicto|" \
    "copia in conflitto|cópia em conflito|conflicterende kopie|kopia w konflikcie"

const std::vector<Pattern> &patterns()
{
    const auto rx = [](const char *pattern) {
        return QRegularExpression(QString::fromUtf8(pattern),
                                  QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    };
    static const std::vector<Pattern> table{
        // data4.sync-conflict-20261207-144956-QBVMNFJ.ini (without the device before version 0.14)
        {"Syncthing", rx(R"(^(.+)\.sync-conflict-\d{8}-\d{6}(?:-[A-Z0-9]{7})?(\.[^.]+)$)")},
        // data4 (conflicted copy 2026-12-07 144956).ini, with the user's name in some versions
        {"Nextcloud", rx(R"(^(.+) \(conflicted copy(?: [^()]+)? \d{4}-\d{2}-\d{2} \d{6}\)(\.[^.]+)$)")},
        // data4_conflict-20261207-144956.ini
        {"ownCloud", rx(R"(^(.+)_conflict-\d{8}-\d{6}(\.[^.]+)$)")},
        // data4 (laptop's conflicted copy 2026-12-07).ini, data4 (laptop の競合コピー 2026-12-07 (1)).ini,
        // data4 (copie en conflit de laptop 2026-12-07).ini
        {"Dropbox", rx(R"(^(.+) \([^()]*(?:)" DROPBOX_WORDS R"()[^()]* \d{4}-\d{2}-\d{2}(?: \(\d+\))?\)(\.[^.]+)$)")},
    };
    return table;
}

// Every name in the table holds one of these: Syncthing's and ownCloud's say "conflict" in
// English, Nextcloud's and Dropbox's (in any language) put it in brackets. A folder of ten thousand
// records holds none, and its names are passed over without a regular expression.
bool mayBeCopy(const QString &name)
{
    return name.contains(u'(') || name.contains(QLatin1String("conflict"), Qt::CaseInsensitive);
}

ConflictCopyName parseOnce(const QString &name)
{
    if (!mayBeCopy(name))
        return {};
    // A byte of a name that is no UTF-8 is held as a lone surrogate (see RegisterFolder), which a
    // regular expression takes for a string it cannot read: matched as U+FFFD instead.
    QString readable = name;
    for (QChar &c : readable) {
        if (c.isSurrogate())
            c = QChar(0xFFFD);
    }
    for (const Pattern &pattern : patterns()) {
        const QRegularExpressionMatch match = pattern.name.match(readable);
        if (match.hasMatch())
            return {match.captured(1) + match.captured(2), QString::fromLatin1(pattern.tool)};
    }
    return {};
}

} // namespace

ConflictCopyName ConflictCopyName::parse(const QString &name)
{
    if (IsSyncToolFile(name))
        return {};
    ConflictCopyName copy = parseOnce(name);
    // A copy of a copy (both computers changed a copy too) is a copy of the first one's original.
    for (ConflictCopyName deeper = parseOnce(copy.original); deeper.isCopy(); deeper = parseOnce(copy.original))
        copy.original = deeper.original;
    return copy;
}

bool IsSyncToolFile(const QString &name)
{
    // Each begins with one of these; the register's own files never do.
    if (!name.startsWith(u'~') && !name.startsWith(u'.'))
        return false;
    static const QRegularExpression working(QStringLiteral(R"(^(?:~.*\.tmp|\.syncthing\..*\.tmp|\.~lock\..*)$)"),
                                            QRegularExpression::CaseInsensitiveOption);
    return working.match(name).hasMatch();
}
