// Reading an answer's status line and headers from the bytes received so far.
#include "AnswerHead.h"

#include <gtest/gtest.h>

namespace {

using State = AnswerHead::State;

TEST(AnswerHead, readsStatusAndLocationAsServersSendThem)
{
    const QByteArray longLine = "HTTP/1.1 200 OK\r\nX: " + QByteArray(AnswerHead::kMaxBytes, 'a');
    const QByteArray manyLines = "HTTP/1.1 200 OK\r\n" + QByteArray("X: 1\r\n").repeated(AnswerHead::kMaxBytes / 6);
    const struct
    {
        QByteArray bytes;
        State state;
        int code;
        QByteArray location;
    } cases[] = {
        {"HTTP/1.1 301 Moved\r\nLocation:  /b \r\n\r\nbody", State::Complete, 301, "/b"},
        {"HTTP/1.0 204\n\n", State::Complete, 204, ""},
        {"HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 302 Found\r\nlocation: /x\r\nLocation: /y\r\n\r\n", State::Complete, 302, "/x"},
        {"HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nX: y\r\n", State::Incomplete, 0, ""},
        {"SSH-2.0-OpenSSH_9.2\r\n", State::Broken, 0, ""},
        {"HTTP/1.1 2000 OK\r\n\r\n", State::Broken, 0, ""},
        {longLine, State::Broken, 0, ""},
        {manyLines, State::Broken, 0, ""},
    };
    for (const auto &c : cases) {
        LinkAnswer answer;
        answer.code = -1;
        EXPECT_EQ(AnswerHead::read(c.bytes, answer), c.state) << c.bytes.left(80).toStdString();
        if (c.state == State::Incomplete)
            continue;
        EXPECT_EQ(answer.failure == LinkAnswer::Failure::Other, c.state == State::Broken) << c.bytes.left(80).toStdString();
        EXPECT_EQ(answer.code, c.code) << c.bytes.left(80).toStdString();
        EXPECT_EQ(answer.location, c.location) << c.bytes.left(80).toStdString();
    }
}

} // namespace
