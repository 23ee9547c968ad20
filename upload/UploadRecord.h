#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

// What this computer last uploaded to one server: the SHA-256 digest of each file's bytes by its
// path under the server's folder, and the temporaries a run may have left there (its run token
// and the file's path), so that the next run removes them. Kept in the user's state folder
// ($XDG_STATE_HOME/sitekanri, by default ~/.local/state/sitekanri), one file per server, replaced
// whole (written beside, flushed, renamed): a crash leaves the old record or the new.
class UploadRecord
{
public:
    struct Pending
    {
        QString run;
        QString remotePath;
        bool operator==(const Pending &other) const { return run == other.run && remotePath == other.remotePath; }
    };

    // The record of the server with this identity, in `folder` (the state folder when empty).
    explicit UploadRecord(const QString &identity, const QString &folder = QString());

    // Reads what was recorded; a record that is missing or unreadable is empty (every file is
    // then sent again, which costs time and loses nothing).
    void load();
    // Writes the record; false, with the reason, when it could not be written.
    bool save(QString *reason = nullptr);

    QByteArray digest(const QString &remotePath) const { return m_digests.value(remotePath); }
    void setDigest(const QString &remotePath, const QByteArray &digest);
    const QList<Pending> &pending() const { return m_pending; }
    void addPending(const Pending &pending);
    void removePending(const Pending &pending);
    QString path() const { return m_path; }

private:
    QString m_identity;
    QString m_path;
    QHash<QString, QByteArray> m_digests;
    QList<Pending> m_pending;
};
