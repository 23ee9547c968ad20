#include "SiteStore.h"

#include "AppDirectory.h"
#include "RegisterFiles.h"
#include "RegisterFolder.h"

#include <QFile>

IoResult SiteStore::Load()
{
    RegisterFolder folder(QFile::encodeName(AppDirectory()));
    if (IoResult opened = folder.open(false); !opened)
        return opened;
    SiteList loaded;
    bool damaged = false;
    RegisterFiles files(folder);
    if (IoResult read = files.load(loaded, damaged); !read)
        return read;
    for (std::size_t i = 0; i < loaded.size(); ++i)
        m_sites.push_back(loaded.at(i), loaded.number(i));
    return IoResult::success();
}
