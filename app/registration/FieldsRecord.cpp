#include "FieldsRecord.h"

#include "SiteRegister.h"

namespace {

bool sameFields(const SiteFields &a, const SiteFields &b)
{
    return a.name == b.name && a.url == b.url && a.keyword1 == b.keyword1 && a.keyword2 == b.keyword2
        && a.keyword3 == b.keyword3 && a.content == b.content;
}

} // namespace

FieldsRecord::FieldsRecord(SiteRegister &siteRegister, RegistrationEdges &fields, QObject *parent)
    : QObject(parent), m_register(siteRegister), m_fields(fields)
{
    connect(&siteRegister, &SiteRegister::recordChanged, this, &FieldsRecord::recordChanged);
    connect(&siteRegister, &SiteRegister::recordsRemoved, this, &FieldsRecord::noteRemoval);
    connect(&siteRegister, &SiteRegister::wasReset, this, &FieldsRecord::noteRemoval);
}

void FieldsRecord::noteRemoval()
{
    if (m_shown.number != 0 && m_register.sites().positionOf(m_shown.number) < 0)
        m_gone = true;
}

void FieldsRecord::show(int number)
{
    const long long position = m_register.sites().positionOf(number);
    if (position < 0)
        return;
    m_shown = {number, m_register.sites().at(std::size_t(position))};
    m_gone = false;
    const SiteFields fields = DecodeSiteFields(m_shown.seen);
    m_fields.SetFieldText(SiteFieldId::Name, fields.name);
    m_fields.SetFieldText(SiteFieldId::Url, fields.url);
    m_fields.SetFieldText(SiteFieldId::Keyword1, fields.keyword1);
    m_fields.SetFieldText(SiteFieldId::Keyword2, fields.keyword2);
    m_fields.SetFieldText(SiteFieldId::Keyword3, fields.keyword3);
    m_fields.SetFieldText(SiteFieldId::Content, fields.content);
}

void FieldsRecord::keepTypedFor(int number)
{
    const long long position = m_register.sites().positionOf(number);
    if (position < 0)
        return;
    m_shown = {number, m_register.sites().at(std::size_t(position))};
    m_gone = false;
}

void FieldsRecord::forget()
{
    m_shown = {};
    m_gone = false;
}

bool FieldsRecord::isUntouched() const
{
    return m_shown.number != 0 && sameFields(m_fields.ReadSiteFields(), DecodeSiteFields(m_shown.seen));
}

bool FieldsRecord::holdsUnsavedText() const
{
    if (m_shown.number != 0 && !m_gone)
        return !isUntouched();
    const SiteFields typed = m_fields.ReadSiteFields();
    for (const QString *text : {&typed.name, &typed.url, &typed.keyword1, &typed.keyword2, &typed.keyword3, &typed.content}) {
        if (!text->trimmed().isEmpty())
            return true;
    }
    return false;
}

void FieldsRecord::recordChanged(int position)
{
    if (m_gone || m_shown.number == 0 || m_register.sites().number(std::size_t(position)) != m_shown.number)
        return;
    if (isUntouched())
        show(m_shown.number);
}
