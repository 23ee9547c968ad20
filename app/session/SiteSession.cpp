#include "SiteSession.h"

#include "ConflictCopyName.h"
#include "LinkResults.h"
#include "LiveDuplicateIndex.h"
#include "SiteIdentityNote.h"
#include "SiteRegister.h"
#include "UndoHistory.h"

#include <algorithm>

namespace {

// How many steps the window can take back.
constexpr int kUndoSteps = 100;

} // namespace

SiteSession::SiteSession(QObject *parent) : QObject(parent)
{
    // The window's changes keep the note of the register's sites as the command line's do.
    InstallSiteIdentityNote();
}

SiteSession::~SiteSession()
{
    // The history goes while the register is whole: it removes the files it keeps through the
    // register's folder, which is closed before the register's children would be deleted.
    delete m_history;
}

IoResult SiteSession::open(const QByteArray &folderPath)
{
    auto opened = std::make_unique<SiteRegister>(folderPath);
    const IoResult loaded = opened->open();
    if (!loaded)
        return loaded;
    m_register = std::move(opened);
    m_history = new UndoHistory(*m_register, kUndoSteps, m_register.get());
    m_duplicates = new LiveDuplicateIndex(*m_register, m_register.get());
    connect(m_register.get(), &SiteRegister::besideFilesChanged, this, [this](const QStringList &names) {
        const auto isResults = [](const QString &name) {
            const QString of = ConflictCopyName::parse(name).original;
            return (of.isEmpty() ? name : of).compare(LinkResults::kFileName, Qt::CaseInsensitive) == 0;
        };
        if (names.isEmpty() || std::any_of(names.begin(), names.end(), isResults))
            emit linkResultsChanged();
    });
    m_register->watch();
    return loaded;
}

const SiteList &SiteSession::sites() const
{
    return m_register->sites();
}

int SiteSession::findSameSite(const QByteArray &url) const
{
    return m_duplicates ? m_duplicates->find(url) : 0;
}

LinkResults SiteSession::readLinkResults() const
{
    LinkResults results;
    if (!results.load())
        return {};
    return results;
}

SiteSession::LinkMove SiteSession::moveLink(int number, const QByteArray &oldUrl, const QByteArray &newUrl)
{
    const long long position = sites().positionOf(number);
    if (position < 0 || sites().at(std::size_t(position)).GetUrl() != oldUrl)
        return {true, {}};
    // An ordinary update, undone like any other: on disk at once, refused when another program
    // changed the record.
    SiteRecord moved = sites().at(std::size_t(position));
    moved.SetUrl(newUrl);
    return {false, m_history->update(number, moved)};
}
