#include "BookmarkFolders.h"

namespace {

// The level of the file's top folders: inside the first <DL>.
constexpr int kTopLevel = 1;

} // namespace

void BookmarkFolders::open(const QString &name, bool browsersOwn)
{
    const bool named = !name.isEmpty();
    const int index = int(m_levels.size());
    const Level *above = m_levels.empty() ? nullptr : &m_levels.back();
    const int namedAbove = above ? above->namedCount : 0;
    m_levels.push_back({name, named ? index : (above ? above->nearestNamed : -1), namedAbove + (named ? 1 : 0)});
    ++m_folders;
    if (index == kTopLevel && m_topEntries++ == 0)
        m_firstTopIsBrowsers = browsersOwn;
    if (named && namedAbove < Bookmark::kOuterFolders) {
        if (namedAbove == 0)
            m_outerLevel = index;
        m_outer.append(m_folders);
    }
}

void BookmarkFolders::close()
{
    if (m_levels.empty())
        return;
    const Level &level = m_levels.back();
    if (level.nearestNamed == int(m_levels.size()) - 1 && level.namedCount <= Bookmark::kOuterFolders)
        m_outer.removeLast();
    m_levels.pop_back();
}

void BookmarkFolders::place(Bookmark &bookmark)
{
    if (m_levels.size() <= std::size_t(kTopLevel)) {
        ++m_topLinks;
        ++m_topEntries;
    }
    if (m_levels.empty())
        return;
    const Level &top = m_levels.back();
    for (int i = top.nearestNamed; i >= 0 && bookmark.folders.size() < Bookmark::kFolderNames;
         i = i > 0 ? m_levels[std::size_t(i) - 1].nearestNamed : -1)
        bookmark.folders.append(m_levels[std::size_t(i)].name);
    bookmark.moreFolders = top.namedCount - int(bookmark.folders.size());
    bookmark.outerFolders = m_outer;
    bookmark.inTopFolder = top.namedCount > 0 && m_outerLevel == kTopLevel;
}

bool BookmarkFolders::isBrowsersOwn(const std::vector<HtmlTokenizer::Attribute> &attributes)
{
    const auto isTrue = [](const QByteArray *value) {
        return value && value->compare("false", Qt::CaseInsensitive) != 0;
    };
    return isTrue(HtmlTokenizer::find(attributes, "personal_toolbar_folder"))
        || isTrue(HtmlTokenizer::find(attributes, "unfiled_bookmarks_folder"));
}
