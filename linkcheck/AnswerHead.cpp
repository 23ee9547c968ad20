#include "AnswerHead.h"

#include "LinkCheckText.h"

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

// The first of each header counts, as for Location.
void takeHeader(const QByteArray &line, QByteArray &location, LinkAnswer &answer)
{
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0)
        return;
    const QByteArray name = line.left(colon).trimmed().toLower();
    const QByteArray value = line.mid(colon + 1).trimmed();
    if (name == "location" && location.isEmpty()) {
        location = value;
    } else if (name == "content-type" && answer.contentType.isEmpty()) {
        answer.contentType = value;
    } else if (name == "content-encoding" && answer.contentEncoding.isEmpty()) {
        answer.contentEncoding = value.toLower();
    } else if (name == "transfer-encoding") {
        answer.chunked = answer.chunked || value.toLower().contains("chunked");
    } else if (name == "content-length" && answer.contentLength < 0) {
        bool ok = false;
        const qint64 length = value.toLongLong(&ok);
        answer.contentLength = ok && length >= 0 ? length : -1;
    }
}

} // namespace

AnswerHead::State AnswerHead::read(const QByteArray &bytes, LinkAnswer &answer)
{
    int code = -1; // -1 while the status line is awaited
    QByteArray location;
    answer = LinkAnswer(); // collects the body's headers until the head is complete
    for (qsizetype at = 0;;) {
        const qsizetype end = bytes.indexOf('\n', at);
        if (end < 0 ? bytes.size() > kMaxBytes : end >= kMaxBytes)
            return broken(answer, LinkCheckText::tr("応答の見出しが %1 KiB を超えました").arg(kMaxBytes / 1024));
        if (end < 0)
            return State::Incomplete;
        QByteArray line = bytes.mid(at, end - at);
        if (line.endsWith('\r'))
            line.chop(1);
        at = end + 1;
        if (code < 0) {
            code = statusCode(line);
            if (code < 0)
                return broken(answer, LinkCheckText::tr("HTTP の応答ではありません"));
        } else if (line.isEmpty()) {
            if (code < 200 && code != 101) { // 100 Continue, 103 Early Hints: the answer follows
                code = -1;
                location.clear();
                answer = LinkAnswer();
                continue;
            }
            const LinkAnswer read = answer;
            answer = LinkAnswer();
            answer.code = code;
            answer.location = location;
            answer.headSize = at;
            answer.contentLength = read.contentLength;
            answer.chunked = read.chunked;
            answer.contentType = read.contentType;
            answer.contentEncoding = read.contentEncoding;
            return State::Complete;
        } else {
            takeHeader(line, location, answer);
        }
    }
}
