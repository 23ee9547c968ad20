#include "SiteRecord.h"
#include "SiteTexts.h"

#include "IniDocument.h"

#include <array>
#include <utility>

namespace {

const QByteArray kSection = QByteArrayLiteral("DATA");
// A section of this program's own, which other readers pass over.
const QByteArray kTakenInSection = QByteArrayLiteral("SITEKANRI");
const QByteArray kTakenInKey = QByteArrayLiteral("TAKENIN");

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

} // namespace

SiteRecord::SiteRecord()
{
    Clear();
}

SiteRecord::SiteRecord(const SiteRecord &other) = default;

SiteRecord &SiteRecord::operator=(const SiteRecord &other)
{
    if (this == &other)
        return *this;
    m_valid = other.m_valid;
    m_name = other.m_name;
    m_url = other.m_url;
    m_keyword1 = other.m_keyword1;
    m_keyword2 = other.m_keyword2;
    m_keyword3 = other.m_keyword3;
    m_content = other.m_content;
    m_takenIn = other.m_takenIn;
    return *this;
}

void SiteRecord::Clear()
{
    m_valid = 1;
    m_takenIn = 0;
    for (const auto &field : fields())
        (this->*field.second).clear();
}

void SiteRecord::ReadFrom(const IniDocument &file)
{
    for (const auto &[key, field] : fields())
        this->*field = compact(file.value(kSection, key, this->*field));
    const QByteArray from = file.value(kTakenInSection, kTakenInKey);
    bool isNumber = false;
    const int number = from.toInt(&isNumber);
    m_takenIn = from.isEmpty() ? 0 : isNumber && number > 0 ? number : -1;
}

bool SiteRecord::WriteTo(IniDocument &file) const
{
    bool changed = false;
    for (const auto &[key, field] : fields())
        changed |= file.setValue(kSection, key, this->*field);
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

void MarkTakenIn(IniDocument &file, int from)
{
    file.setValue(kTakenInSection, kTakenInKey, QByteArray::number(from > 0 ? from : -1));
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
    return a.m_valid == b.m_valid && SameTexts(a, b);
}
