#include "RegistrationOperations.h"

#include "CodePage.h"
#include "RegistrationEdges.h"
#include "SiteEntry.h"
#include "SiteList.h"

RegistrationOperations::RegistrationOperations(SiteList &sites, RegistrationEdges &edges)
    : m_sites(sites), m_edges(edges)
{
}

bool RegistrationOperations::acceptFields(SiteRecord &record)
{
    SiteFields fields = m_edges.ReadSiteFields();
    FieldRefusal refused = CheckRequiredFields(fields);
    if (refused.isEmpty()) {
        if (CompleteSiteUrl(fields))
            m_edges.SetFieldText(SiteFieldId::Url, fields.url);
        refused = EncodeSiteFields(fields, record);
    }
    if (refused.isEmpty())
        return true;
    m_edges.ShowMessage(refused.message);
    m_edges.FocusField(refused.field);
    return false;
}

void RegistrationOperations::RegisterNewSite()
{
    SiteRecord record;
    if (!acceptFields(record))
        return;
    m_sites.push_back(record);
    m_edges.FillSiteList();
}

void RegistrationOperations::UpdateSite()
{
    const int position = currentPosition();
    if (position < 0)
        return;
    // Refused before the question: the user should not confirm a change that cannot be made.
    SiteRecord record;
    if (!acceptFields(record))
        return;
    if (!confirm(position, "%1を変更しても宜しいですか？"))
        return;
    m_sites.replace(std::size_t(position), record);
    m_edges.FillSiteList();
}

void RegistrationOperations::DeleteSite()
{
    const int position = currentPosition();
    if (position < 0 || !confirm(position, "%1を削除しても宜しいですか？"))
        return;
    SiteList rest;
    rest.reserve(m_sites.size() - 1);
    std::size_t index = 0;
    for (const SiteRecord &record : m_sites) {
        if (index++ != std::size_t(position))
            rest.push_back(record);
    }
    m_sites = rest;
    m_edges.FillSiteList();
}

int RegistrationOperations::currentPosition() const
{
    // A row the list does not have is treated as no row: acting on it would throw and end the
    // program with the session's unsaved changes.
    const int row = m_edges.GetSelectedSiteRow();
    return row >= 0 && std::size_t(row) < m_sites.size() ? row : -1;
}

bool RegistrationOperations::confirm(int position, const char *pattern)
{
    const QString storedName = CodePage::toText(m_sites.at(std::size_t(position)).GetName());
    return m_edges.AskYesNo(QString::fromUtf8(pattern).arg(storedName));
}
