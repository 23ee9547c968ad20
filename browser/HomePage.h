#pragma once

#include <QString>
#include <QUrl>

// The help page that ships with the program, as a local file URL. Looked for beside the program
// (build tree, portable install), then in the installed data folder; when neither holds it, the
// copy compiled into the program is written to the cache folder and that is used, so the page
// always exists.
QUrl HomePageUrl();

// The help page file for a program in `programDir`, falling back to a copy written into
// `cacheDir`. Empty when neither is found nor can be written.
QString HomePageFile(const QString &programDir, const QString &cacheDir);
