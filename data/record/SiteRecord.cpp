#include "SiteRecord.h"
#include "SiteTexts.h"

#include "IniDocument.h"

#include <QCryptographicHash>
#include <QDateTime>

#include <array>
#include <utility>

namespace {

const QByteArray kSection = QByteArrayLiteral("DATA");
// A section of this program's own, which other readers pass over.
const QByteArray kOwnSection = QByteArrayLiteral("SITEKANRI");
const QByteArray kInPlaceOfKey = QByteArrayLiteral("TAKENIN");
// The site's dates sit in the same section, with a digest of the URL they were written for: the
// Windows program, deleting a site, moves each later record into the file before it and leaves this
// section where it was, so dates whose URL digest differs from the file's URL are another site's.
const QByteArray kAddedKey = QByteArrayLiteral("ADDED");
const QByteArray kChangedKey = QByteArrayLiteral("CHANGED");
const QByteArray kDatesUrlKey = QByteArrayLiteral("DATESURL");

// The data file's keys, in the order they are written, with the field each one holds.
using Field = QByteArray SiteRecord::*;
const std::array<std::pair<QByteArray, Field>, 6> &fields()
{
    static const std::array<std::pair<QByteArray, Field>, 6> table{{
        {QByteArrayLiteral("NAME"), kSiteTexts[0]},
        {QByteArrayLiteral("URL"), kSiteTexts[1]},
        {QByteArrayLiteral("KEY1"), kSiteTexts[2]},
        {QByteArrayLiteral("KEY2"), kSiteTexts[3]},
        {QByteArrayLiteral("KEY3"), kSiteTexts[4]},
        {QByteArrayLiteral("INDATA"), kSiteTexts[5]},
    }};
    return table;
}

// A copy that owns exactly its bytes, so that a loaded register holds no slack.
QByteArray compact(const QByteArray &bytes)
{
    return bytes.isEmpty() ? QByteArray() : QByteArray(bytes.constData(), bytes.size());
}

// 2026-12-09T13:58:27Z for a known time, "" for 0.
QByteArray isoText(std::int64_t seconds)
{
    if (seconds == 0)
        return {};
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toString(Qt::ISODate).toLatin1();
}

// 0 for anything but an ISO 8601 time (a zone given or UTC assumed).
std::int64_t secondsOf(const QByteArray &text)
{
    if (text.isEmpty() || text.size() > 40)
        return 0;
    QDateTime time = QDateTime::fromString(QString::fromLatin1(text), Qt::ISODate);
    if (!time.isValid())
        return 0;
    if (time.timeSpec() == Qt::LocalTime)
        time.setTimeSpec(Qt::UTC);
    return time.toSecsSinceEpoch();
}

} // namespace

QByteArray DatesUrlDigest(const QByteArray &url)
{
    return QCryptographicHash::hash(url, QCryptographicHash::Sha1).left(4).toHex();
}

SiteRecord::SiteRecord()
{
    Clear();
}

void SiteRecord::Clear()
{
    m_valid = 1;
    m_inPlaceOf = 0;
    m_added = 0;
    m_changed = 0;
    for (const auto &field : fields())
        (this->*field.second).clear();
}

void SiteRecord::ReadFrom(const IniDocument &file)
{
    for (const auto &[key, field] : fields())
        this->*field = compact(file.value(kSection, key, this->*field));
    const QByteArray from = file.value(kOwnSection, kInPlaceOfKey);
    bool isNumber = false;
    const int number = from.toInt(&isNumber);
    m_inPlaceOf = from.isEmpty() ? 0 : isNumber && number > 0 ? number : -1;
    const QByteArray datesUrl = file.value(kOwnSection, kDatesUrlKey);
    if (!datesUrl.isEmpty() && datesUrl == DatesUrlDigest(m_url)) {
        m_added = secondsOf(file.value(kOwnSection, kAddedKey));
        m_changed = secondsOf(file.value(kOwnSection, kChangedKey));
    } else {
        m_added = 0;
        m_changed = 0;
    }
}

bool SiteRecord::WriteTo(IniDocument &file) const
{
    bool changed = false;
    for (const auto &[key, field] : fields())
        changed |= file.setValue(kSection, key, this->*field);
    // A file without dates gains none for a record without them: it stays what it was. Dates the
    // file holds for another URL are cleared.
    const bool hasDates = m_added != 0 || m_changed != 0;
    if (hasDates || !file.value(kOwnSection, kDatesUrlKey).isEmpty()) {
        changed |= file.setValue(kOwnSection, kAddedKey, isoText(m_added));
        changed |= file.setValue(kOwnSection, kChangedKey, isoText(m_changed));
        changed |= file.setValue(kOwnSection, kDatesUrlKey, hasDates ? DatesUrlDigest(m_url) : QByteArray());
    }
    return changed;
}

QString SiteRecord::UnstorableKey() const
{
    for (const auto &[key, field] : fields()) {
        if (!IsStorableIniValue(this->*field))
            return QString::fromLatin1(key);
    }
    return {};
}

IoResult UnstorableValueFailure(const QString &path, const QString &key)
{
    return IoResult::failure(path, DataText::tr("%1: 改行を含む値は保存できません").arg(key));
}

bool SameTexts(const SiteRecord &a, const SiteRecord &b)
{
    for (SiteText text : kSiteTexts)
        if (a.*text != b.*text)
            return false;
    return true;
}

void MarkInPlaceOf(IniDocument &file, int from)
{
    file.setValue(kOwnSection, kInPlaceOfKey, QByteArray::number(from > 0 ? from : -1));
}

QByteArray TextsKey(const SiteRecord &record)
{
    QByteArray key;
    for (SiteText text : kSiteTexts)
        key += record.*text + '\0';
    return key;
}

bool operator==(const SiteRecord &a, const SiteRecord &b)
{
    return a.GetValid() == b.GetValid() && SameTexts(a, b);
}
