#include "AppTestSupport.h"

#include "DialogTemplate.h"
#include "SiteStore.h"

void SaveRegister(const std::vector<SiteRecord> &records)
{
    SiteStore store;
    for (const SiteRecord &record : records)
        store.m_sites.push_back(record);
    ASSERT_TRUE(store.Save()) << store.Save().describe().toStdString();
}

SiteList LoadRegister()
{
    SiteStore store;
    EXPECT_TRUE(store.Load());
    return store.m_sites;
}

std::vector<QString> RegistrationFields(const MainDialog &dialog)
{
    std::vector<QString> fields;
    for (int id : {ControlId::SiteName, ControlId::SiteUrl, ControlId::Keyword1, ControlId::Keyword2,
                   ControlId::Keyword3, ControlId::Content})
        fields.push_back(dialog.ItemText(id));
    return fields;
}
