#pragma once

#include "ImportPlan.h"
#include "IoResult.h"
#include "RegisterFiles.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class SiteList;

// Where an import's records go: the register's addMany, of the live register (the window) or of
// its files (sitekanri-cli). Either writes them as one operation.
using RecordWriter = std::function<OperationResult(const PlannedRecords &records)>;

// Adds the records of a planned import through `write`, all of them or none. A file that could
// not be read, or one with nothing new in it, writes nothing and is done.
OperationResult WritePlannedImport(const BookmarkImport &planned, const RecordWriter &write);

// The register as a bookmark file at `path`, written whole or not at all: a full disk never
// leaves half a bookmark file behind, nor spoils the one that was there.
IoResult SaveBookmarkFile(const SiteList &sites, const QString &path);

