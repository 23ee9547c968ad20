#pragma once

#include "UploadServer.h"

#include <QString>

class Publication;

// The server the register's publication names (PublishList::server), looked up in upload.ini;
// false, with `problem` saying why in words for people, when there is none to send to.
bool CliPublicationServer(const QString &named, UploadServer &server, QString &problem);

// sitekanri-cli publish --upload: the files `publication` leaves (written, or with `dryRun` as
// they would be) sent to `server`, whose bytes differ from what was last sent there; one line per
// file on stdout, as each is known:
//   uploaded PATH user@host:port place        up-to-date PATH user@host:port place
//   upload-failed PATH user@host:port: reason  not-uploaded PATH user@host:port: reason
//   would-upload PATH … (--dry-run, which asks no server)
// (tab-separated). Returns the exit code: 1 unless every file is uploaded or up to date.
int CliUpload(const UploadServer &server, const Publication &publication, bool dryRun);
