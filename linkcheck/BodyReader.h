#pragma once

#include "LinkTrail.h"

#include <QByteArray>

// Takes the body of an HTTP/1.1 answer from the bytes that follow its head, as they come:
// framed by Content-Length, by chunks, or by the end of the connection. It keeps at most `limit`
// bytes of the body and is done as soon as it has them, whatever the server still has to send.
// A framing it cannot read ends the body where it broke: a page cut short still has what came.
// Pure: the bytes come from elsewhere.
class BodyReader
{
public:
    BodyReader(const LinkAnswer &head, qint64 limit);

    // Reads the next bytes; true once the body is complete, cut at the limit, or broken.
    bool feed(const char *data, qsizetype size);
    // Whether the body was cut at the limit.
    bool isCut() const { return m_cut; }
    const QByteArray &body() const { return m_body; }

private:
    enum class State { Plain, ChunkSize, ChunkData, ChunkEnd, Done };

    void keep(const char *data, qsizetype size);
    void readChunkSize();

    const qint64 m_limit;
    qint64 m_left;          // bytes of the body (Plain) or chunk still to come; -1: until the end
    State m_state;
    QByteArray m_line;      // a chunk-size line being read
    QByteArray m_body;
    bool m_cut = false;
};
