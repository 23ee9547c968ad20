#include "BookmarkFolders.h"

void BookmarkFolders::open(const QString &name)
{
    const bool named = !name.isEmpty();
    const int index = int(m_levels.size());
    const Level *above = m_levels.empty() ? nullptr : &m_levels.back();
    m_levels.push_back({name, named ? index : (above ? above->nearestNamed : -1),
                        (above ? above->namedCount : 0) + (named ? 1 : 0)});
}

void BookmarkFolders::close()
{
    if (!m_levels.empty())
        m_levels.pop_back();
}

void BookmarkFolders::place(Bookmark &bookmark) const
{
    if (m_levels.empty())
        return;
    const Level &top = m_levels.back();
    for (int i = top.nearestNamed; i >= 0 && bookmark.folders.size() < Bookmark::kFolderNames;
         i = i > 0 ? m_levels[std::size_t(i) - 1].nearestNamed : -1)
        bookmark.folders.append(m_levels[std::size_t(i)].name);
    bookmark.moreFolders = top.namedCount - int(bookmark.folders.size());
}

bool BookmarkFolders::isBrowsersOwn(const std::vector<HtmlTokenizer::Attribute> &attributes)
{
    const auto isTrue = [](const QByteArray *value) {
        return value && value->compare("false", Qt::CaseInsensitive) != 0;
    };
    return isTrue(HtmlTokenizer::find(attributes, "personal_toolbar_folder"))
        || isTrue(HtmlTokenizer::find(attributes, "unfiled_bookmarks_folder"));
}
