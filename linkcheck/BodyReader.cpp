#include "BodyReader.h"

#include <algorithm>
#include <cstring>

namespace {

// A chunk-size line holds a few hex digits and perhaps extensions: more is no HTTP.
constexpr qsizetype kMaxSizeLine = 1024;

} // namespace

BodyReader::BodyReader(const LinkAnswer &head, qint64 limit)
    : m_limit(limit)
    , m_left(head.chunked ? 0 : head.contentLength)
    , m_state(head.chunked ? State::ChunkSize : State::Plain)
{
    // No body at all: HEAD-like codes and an announced length of 0.
    if (head.code == 204 || head.code == 304 || (!head.chunked && head.contentLength == 0))
        m_state = State::Done;
}

void BodyReader::keep(const char *data, qsizetype size)
{
    const qint64 room = m_limit - m_body.size();
    if (size >= room) {
        m_body.append(data, qsizetype(room));
        m_cut = true;
        m_state = State::Done;
        return;
    }
    m_body.append(data, size);
}

bool BodyReader::feed(const char *data, qsizetype size)
{
    qsizetype at = 0;
    while (at < size && m_state != State::Done) {
        switch (m_state) {
        case State::Plain: {
            const qsizetype take = m_left < 0 ? size - at : qsizetype(std::min<qint64>(m_left, size - at));
            const bool last = m_left >= 0 && take == m_left;
            keep(data + at, take);
            at += take;
            if (m_left >= 0)
                m_left -= take;
            if (last)
                m_state = State::Done;
            break;
        }
        case State::ChunkSize:
        case State::ChunkEnd: {
            const char *end = static_cast<const char *>(memchr(data + at, '\n', size_t(size - at)));
            const qsizetype stop = end ? end - data : size;
            m_line.append(data + at, stop - at);
            at = end ? stop + 1 : size;
            if (m_line.size() > kMaxSizeLine)
                m_state = State::Done;
            else if (end && m_state == State::ChunkEnd) {
                m_state = State::ChunkSize;
                m_line.clear();
            } else if (end) {
                readChunkSize();
            }
            break;
        }
        case State::ChunkData: {
            const qsizetype take = qsizetype(std::min<qint64>(m_left, size - at));
            keep(data + at, take);
            at += take;
            m_left -= take;
            if (m_left == 0 && m_state != State::Done)
                m_state = State::ChunkEnd;
            break;
        }
        case State::Done: break;
        }
    }
    return m_state == State::Done;
}

void BodyReader::readChunkSize()
{
    const qsizetype semicolon = m_line.indexOf(';');
    const QByteArray digits = (semicolon < 0 ? m_line : m_line.left(semicolon)).trimmed();
    m_line.clear();
    bool ok = false;
    const qint64 chunk = digits.size() <= 15 ? digits.toLongLong(&ok, 16) : 0;
    // The last chunk (size 0) ends the body; trailers are not read. A size that is no number
    // ends it too.
    if (!ok || chunk <= 0) {
        m_state = State::Done;
        return;
    }
    m_left = chunk;
    m_state = State::ChunkData;
}
