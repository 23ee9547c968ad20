#include "SiteField.h"

#include "SiteRecord.h"

const QByteArray &FieldBytes(const SiteRecord &record, SiteField field)
{
    switch (field) {
    case SiteField::Name: return record.m_name;
    case SiteField::Url: return record.m_url;
    case SiteField::Keyword1: return record.m_keyword1;
    case SiteField::Keyword2: return record.m_keyword2;
    case SiteField::Keyword3: return record.m_keyword3;
    case SiteField::Content: break;
    }
    return record.m_content;
}
