#pragma once

#include "DuplicateIndex.h"

#include <QObject>

class SiteRegister;

// A DuplicateIndex kept in step with a live register, whoever changes it: each announced record
// costs one update, so asking stays instant at any register size.
class LiveDuplicateIndex : public QObject
{
    Q_OBJECT
public:
    explicit LiveDuplicateIndex(const SiteRegister &siteRegister, QObject *parent = nullptr);

    // As DuplicateIndex::find, over the register as it is now.
    int find(const QByteArray &url, int except = 0) const { return m_index.find(url, except); }

private:
    void take(int first, int last);

    const SiteRegister &m_register;
    DuplicateIndex m_index;
};
