#include "SiteStore.h"

#include "AppDirectory.h"
#include "RegisterFiles.h"
#include "RegisterFolder.h"

#include <QFile>

IoResult SiteStore::Load()
{
    RegisterFolder folder(QFile::encodeName(AppDirectory()));
    if (IoResult opened = folder.open(RegisterFolder::Missing::ReadsEmpty); !opened)
        return opened;
    const Reading<LoadedRegister> loaded = RegisterFiles(folder).load();
    if (!loaded)
        return loaded.io;
    const SiteList &sites = loaded.value.sites;
    for (std::size_t i = 0; i < sites.size(); ++i)
        m_sites.push_back(sites.at(i), sites.number(i));
    return IoResult::success();
}
