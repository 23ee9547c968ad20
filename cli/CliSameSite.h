#pragma once

#include "RegisterFiles.h"

#include <QByteArray>

class RegisterFolder;

// After `add` placed a site with `url`: names on stderr a record that leads to the same site. The
// window asks before it registers a site twice; a script cannot be asked, so it is told.
void WarnOfSameSite(RegisterFolder &folder, RegisterFiles &files, const OperationResult &added, const QByteArray &url);
