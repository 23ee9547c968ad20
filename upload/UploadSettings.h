#pragma once

#include "UploadServer.h"

#include <QList>
#include <QString>

// The servers this computer uploads to, kept in the desktop's config folder
// (~/.config/sitekanri/upload.ini), a file of their own beside window.ini and the list of pages:
// where a server is and how to log in belongs to this computer, not to the register. Never a
// password or passphrase: those go to the secret store.
namespace UploadSettings {

QList<UploadServer> load();
// The server named `name`, or one with an empty host when there is none.
UploadServer find(const QString &name);
// Adds `server`, or replaces the one of the same name.
void save(const UploadServer &server);
void remove(const QString &name);
// What a run learnt of its server (a certificate accepted, plain FTP agreed to) kept with the
// server's settings as they are now, which may have changed meanwhile; nothing when the server is
// gone or now names another place.
void keepLearnt(const UploadServer &ran);

} // namespace UploadSettings
