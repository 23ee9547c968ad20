#pragma once

#include "../support/CaseTable.h"

// A case table of this folder.
inline std::vector<QStringList> ReadCaseTable(const char *name)
{
    return ReadCaseFile(QStringLiteral(FINDING_TEST_DATA "/") + QString::fromUtf8(name));
}
