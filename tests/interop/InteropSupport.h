#pragma once

#include "SiteRecord.h"
#include "TempRegister.h"

#include <QByteArray>
#include <QString>

#include <string>
#include <vector>

// Bytes for comparisons with readable failure messages: printable ASCII as is, the rest
// percent-encoded; two byte strings are equal exactly when their forms are.
inline std::string Shown(const QByteArray &bytes)
{
    return bytes.toPercentEncoding(" !\"#$&'()*+,/:;<=>?@[\\]^`{|}").toStdString();
}

// Field-by-field comparison; `labels` names the records (by position).
void ExpectSameRecords(const std::vector<SiteRecord> &actual, const std::vector<SiteRecord> &expected,
                       const std::vector<std::string> &labels, const std::string &context);

// The register in `directory`, loaded by our own SiteStore.
std::vector<SiteRecord> LoadWithSiteStore(const QString &directory);

// A case file of this folder.
QString InteropTable(const char *name);
// Writes a file, creating its folder, failing the test when it cannot.
void WriteFile(const QString &path, const QByteArray &bytes);
