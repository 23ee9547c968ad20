#pragma once

#include <QByteArray>
#include <QIODevice>

#include <algorithm>

// A pipe-like device that hands out at most `piece` bytes per read, so that a reader meets every
// token, mark and character split across two reads.
class TrickleDevice : public QIODevice
{
public:
    TrickleDevice(const QByteArray &bytes, qint64 piece) : m_bytes(bytes), m_piece(piece) { open(ReadOnly); }
    bool isSequential() const override { return true; }
    bool atEnd() const override { return m_at >= m_bytes.size(); }

protected:
    qint64 readData(char *data, qint64 size) override
    {
        const qint64 n = std::min({size, m_piece, qint64(m_bytes.size()) - m_at});
        std::copy_n(m_bytes.constData() + m_at, n, data);
        m_at += n;
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    qint64 m_piece;
    qint64 m_at = 0;
};
