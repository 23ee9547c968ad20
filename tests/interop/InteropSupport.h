#pragma once

#include "SiteRecord.h"
#include "TempRegister.h"

#include <QByteArray>
#include <QString>

#include <string>
#include <vector>

// Field-by-field comparison; `labels` names the records (by position).
void ExpectSameRecords(const std::vector<SiteRecord> &actual, const std::vector<SiteRecord> &expected,
                       const std::vector<std::string> &labels, const std::string &context);

// The register in `directory`, loaded by our own SiteStore.
std::vector<SiteRecord> LoadWithSiteStore(const QString &directory);

// A case file of this folder.
QString InteropTable(const char *name);
// Writes a file, creating its folder, failing the test when it cannot.
void WriteFile(const QString &path, const QByteArray &bytes);
