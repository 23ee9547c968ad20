// Reading an answer's status line and headers from the bytes received so far.
#include "AnswerHead.h"

#include <gtest/gtest.h>

namespace {

using State = AnswerHead::State;

TEST(AnswerHead, readsStatusAndLocationAsServersSendThem)
{
    const QByteArray longLine = "HTTP/1.1 200 OK\r\nX: " + QByteArray(AnswerHead::kMaxBytes, 'a');
    const QByteArray manyLines = "HTTP/1.1 200 OK\r\n" + QByteArray("X: 1\r\n").repeated(AnswerHead::kMaxBytes / 6);
    // The bytes, then what they read as: state (0 incomplete, 1 complete, 2 broken), code, Location.
    const std::pair<QByteArray, std::string> cases[] = {
        {"HTTP/1.1 301 Moved\r\nLocation:  /b \r\n\r\nbody", "1 301 /b"},
        {"HTTP/1.0 204\n\n", "1 204 "},
        {"HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 302 Found\r\nlocation: /x\r\nLocation: /y\r\n\r\n", "1 302 /x"},
        {"HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nX: y\r\n", "0 0 "},
        {"SSH-2.0-OpenSSH_9.2\r\n", "2 0 "},
        {"HTTP/1.1 2000 OK\r\n\r\n", "2 0 "},
        {longLine, "2 0 "},
        {manyLines, "2 0 "},
    };
    for (const auto &[bytes, expected] : cases) {
        LinkAnswer answer;
        const int state = int(AnswerHead::read(bytes, answer));
        EXPECT_EQ(std::to_string(state) + ' ' + std::to_string(answer.code) + ' ' + answer.location.toStdString(), expected)
            << bytes.left(80).toStdString();
        EXPECT_EQ(answer.failure == LinkAnswer::Failure::Other, state == int(State::Broken));
    }
}

} // namespace
