#pragma once

#include "LinkTrail.h"

#include <QByteArray>

// Reads the status line and headers of an HTTP/1.x answer from the bytes received so far,
// passing over interim (1xx) answers. A head that passes kMaxBytes, or bytes that are no HTTP
// answer, end the request as a broken answer: a server sending header lines without end gets
// no more of our memory than this. Pure: the bytes come from elsewhere.
namespace AnswerHead {

constexpr int kMaxBytes = 64 * 1024;

enum class State {
    Incomplete, // more bytes are needed
    Complete,   // `answer` holds the code and Location
    Broken,     // `answer` holds a failure and what was wrong
};

State read(const QByteArray &bytes, LinkAnswer &answer);

} // namespace AnswerHead
