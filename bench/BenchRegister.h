#pragma once

#include "SiteList.h"

#include <QString>
#include <QTemporaryDir>

// Realistic registers for benchmarks: Japanese names, URLs, keywords drawn from a pool and
// contents of 20-200 bytes, the same for every run (fixed seed).
SiteList MakeBenchSites(int count, int keywordPool = 300, unsigned seed = 42);

// A saved register of `count` records in a fresh temporary directory, made the register
// directory in force.
class BenchRegister
{
public:
    explicit BenchRegister(int count);
    ~BenchRegister();
    QString path() const { return m_dir.path(); }
    // Bytes the register's files hold on disk (their contents, not their blocks).
    qint64 contentBytes() const;

private:
    QTemporaryDir m_dir;
};

// Runs the benchmarks named on the command line; call after making the Qt application object.
int RunBenchmarks(int &argc, char **argv);
