#pragma once

#include "RegisterFiles.h"
#include "SiteList.h"

#include <QByteArray>
#include <QObject>

#include <memory>

class LinkResults;
class LiveDuplicateIndex;
class SiteRegister;
class UndoHistory;

// What the window works on, without a widget: the register (opened, watched, written), the
// window's undo history over it, the index that finds a site already registered, and the
// results of the last link check kept beside it, followed as the register is. Everything but open() needs an open register.
class SiteSession : public QObject
{
    Q_OBJECT
public:
    explicit SiteSession(QObject *parent = nullptr);
    ~SiteSession() override;

    // Loads the register in `folderPath` and from then on takes in what other programs change
    // there. A failure names the file and why; the session then stays closed.
    IoResult open(const QByteArray &folderPath);
    bool isOpen() const { return m_register != nullptr; }

    SiteRegister &siteRegister() const { return *m_register; }
    const SiteList &sites() const;
    UndoHistory &history() const { return *m_history; }
    // The number of a registered site with the same identity as `url`; 0 when there is none.
    int findSameSite(const QByteArray &url) const;

    // The results of the last link check, read afresh; none when the file cannot be read, so
    // that no link is taken for dead on a guess.
    LinkResults readLinkResults() const;

    // What came of taking the URL a permanent move leads to.
    struct LinkMove
    {
        // The site changed or went after it was checked: nothing was written.
        bool stale = false;
        OperationResult result;
        bool done() const { return !stale && result.done(); }
    };
    // Puts `newUrl` in place of `oldUrl` for site `number`, as an update that can be undone,
    // unless the site no longer holds `oldUrl`.
    LinkMove moveLink(int number, const QByteArray &oldUrl, const QByteArray &newUrl);

signals:
    // Another program (sitekanri-cli check, a sync tool bringing the other computer's) changed
    // the results of the last link check beside the register.
    void linkResultsChanged();

private:
    std::unique_ptr<SiteRegister> m_register;
    // Both follow the register and go with it.
    UndoHistory *m_history = nullptr;
    LiveDuplicateIndex *m_duplicates = nullptr;
};
