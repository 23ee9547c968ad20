#pragma once

#include "CaseFile.h"

#include <QStringList>

// The rows of a tab-separated case file as text, fields as written (no escapes taken).
inline std::vector<QStringList> ReadCaseFile(const QString &path)
{
    std::vector<QStringList> rows;
    for (const CaseRow &row : ReadCaseRows(path)) {
        QStringList fields;
        for (const QByteArray &field : row.fields)
            fields << QString::fromUtf8(field);
        rows.push_back(fields);
    }
    return rows;
}
