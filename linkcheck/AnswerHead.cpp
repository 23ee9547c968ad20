#include "AnswerHead.h"

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// "HTTP/1.1 200 OK": the version's digits are not checked further, the reason not at all.
int statusCode(const QByteArray &line)
{
    if (!line.startsWith("HTTP/"))
        return -1;
    const int space = line.indexOf(' ');
    if (space < 6 || line.size() < space + 4 || (line.size() > space + 4 && line[space + 4] != ' '))
        return -1;
    int code = 0;
    for (int i = space + 1; i < space + 4; ++i) {
        if (!isDigit(line[i]))
            return -1;
        code = code * 10 + (line[i] - '0');
    }
    return code >= 100 ? code : -1;
}

AnswerHead::State broken(LinkAnswer &answer, const QString &detail)
{
    answer = LinkAnswer();
    answer.failure = LinkAnswer::Failure::Other;
    answer.detail = detail;
    return AnswerHead::State::Broken;
}

} // namespace

AnswerHead::State AnswerHead::read(const QByteArray &bytes, LinkAnswer &answer)
{
    int code = -1; // -1 while the status line is awaited
    QByteArray location;
    for (qsizetype at = 0;;) {
        const qsizetype end = bytes.indexOf('\n', at);
        if (end < 0 ? bytes.size() > kMaxBytes : end >= kMaxBytes)
            return broken(answer, QStringLiteral("応答の見出しが %1 KiB を超えました").arg(kMaxBytes / 1024));
        if (end < 0)
            return State::Incomplete;
        QByteArray line = bytes.mid(at, end - at);
        if (line.endsWith('\r'))
            line.chop(1);
        at = end + 1;
        if (code < 0) {
            code = statusCode(line);
            if (code < 0)
                return broken(answer, QStringLiteral("HTTP の応答ではありません"));
        } else if (line.isEmpty()) {
            if (code < 200 && code != 101) { // 100 Continue, 103 Early Hints: the answer follows
                code = -1;
                location.clear();
                continue;
            }
            answer = LinkAnswer();
            answer.code = code;
            answer.location = location;
            return State::Complete;
        } else if (location.isEmpty() && line.size() > 9 && line.left(9).toLower() == "location:") {
            location = line.mid(9).trimmed();
        }
    }
}
