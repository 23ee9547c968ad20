// libFuzzer target for the link check's handling of answers: a LinkTrail fed any sequence of
// answers (failures, status codes, Location values relative or absolute, of any scheme and
// length), some of them read by AnswerHead from raw bytes. For any sequence: nothing crashes,
// a head read in two pieces reads as it does whole, the network is asked only for http(s) URLs
// with a host, a bounded number of times, and the result is one a line-based output can carry.
#include "AnswerHead.h"
#include "LinkTrail.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

const char *const kStarts[] = {
    "http://127.0.0.1/a/b?c=d",
    "https://例え.テスト/パス?q=値#frag",
    "http://[::1]:8080/",
    "HTTP://Example.COM",
};

const int kCodes[] = {200, 204, 301, 302, 303, 304, 307, 308, 400, 403, 404, 405, 410, 429, 500, 501, 503, 0, 99, 999};

// One hop, one GET after a refused HEAD, per URL on the way; and one retry in all.
constexpr int kMaxRequests = 2 * (LinkTrail::kMaxRedirects + 1) + 1;

[[noreturn]] void fail(const char *what, const QString &value)
{
    std::fprintf(stderr, "%s: %s\n", what, value.toUtf8().constData());
    std::abort();
}

// Nothing a server sends may bring a line break, a tab or another control character into a result.
void checkPrintable(const char *what, const QString &value, bool asciiOnly)
{
    for (const QChar c : value) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || (asciiOnly && c.unicode() > 0x7f))
            fail(what, value);
    }
}

bool checkable(const QUrl &url)
{
    return url.isValid() && (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"))
        && !url.host().isEmpty();
}

QByteArray take(const std::uint8_t *&at, const std::uint8_t *end, std::size_t size)
{
    size = std::min(size, std::size_t(end - at));
    at += size;
    return QByteArray(reinterpret_cast<const char *>(at - size), qsizetype(size));
}

// Reads `bytes` as a head, whole and in two pieces; a head that never completes ends as the
// deadline would end it.
LinkAnswer readHead(const QByteArray &bytes, qsizetype cut)
{
    LinkAnswer whole;
    const AnswerHead::State state = AnswerHead::read(bytes, whole);
    LinkAnswer part;
    const AnswerHead::State partState = AnswerHead::read(bytes.left(cut), part);
    if (partState != AnswerHead::State::Incomplete
        && (partState != state || part.code != whole.code || part.location != whole.location))
        fail("a piece of the head read differently", QString::fromLatin1(bytes.left(cut).toPercentEncoding()));
    if (state == AnswerHead::State::Complete && ((whole.code < 200 && whole.code != 101) || whole.code > 999))
        fail("an interim or impossible code read as the answer", QString::number(whole.code));
    if (state == AnswerHead::State::Incomplete) {
        if (bytes.size() > AnswerHead::kMaxBytes)
            fail("a head past the limit still awaited", QString::number(bytes.size()));
        whole.failure = LinkAnswer::Failure::Timeout;
    }
    return whole;
}

// Reads one answer: a kind byte, then either a code byte (or two) and the Location up to a
// newline, or (kind & 0x40) a cut byte, a length byte pair and that many bytes of head.
// Either is repeated when the kind byte says so (values far longer than the input, up to
// what a head can hold).
bool nextAnswer(const std::uint8_t *&at, const std::uint8_t *end, LinkAnswer &answer)
{
    if (end - at < 2)
        return false;
    const std::uint8_t kind = *at++;
    const int times = kind & 0x80 ? 1 + (kind >> 3 & 0x0f) * 16 : 1;
    if ((kind & 7) >= 5 && kind & 0x40 && end - at >= 3) {
        const std::uint8_t cut = *at++;
        const std::size_t size = std::size_t(at[0]) << 8 | at[1];
        at += 2;
        QByteArray head = take(at, end, size);
        head = head.repeated(std::min(times, int(80 * 1024 / std::max<qsizetype>(1, head.size()))));
        answer = readHead(head, qsizetype(cut) * head.size() / 255);
        return true;
    }
    const std::uint8_t code = *at++;
    static const LinkAnswer::Failure failures[] = {
        LinkAnswer::Failure::HostNotFound, LinkAnswer::Failure::Refused, LinkAnswer::Failure::Tls,
        LinkAnswer::Failure::Timeout, LinkAnswer::Failure::Other};
    answer = LinkAnswer();
    answer.failure = (kind & 7) < 5 ? failures[kind & 7] : LinkAnswer::Failure::None;
    answer.detail = QStringLiteral("detail");
    if (code & 0x80 && at < end)
        answer.code = ((code & 0x7f) << 8 | *at++) % 1000;
    else
        answer.code = kCodes[code % std::size(kCodes)];
    const std::uint8_t *line = at;
    while (at < end && *at != '\n')
        ++at;
    answer.location = QByteArray(reinterpret_cast<const char *>(line), qsizetype(at - line));
    if (at < end)
        ++at;
    // A Location comes out of a head, which is never longer than AnswerHead::kMaxBytes.
    answer.location = answer.location.repeated(
        std::min<qsizetype>(times, AnswerHead::kMaxBytes / std::max<qsizetype>(1, answer.location.size())));
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const std::uint8_t *at = data + 1;
    const std::uint8_t *end = data + size;
    LinkTrail trail(QString::fromUtf8(kStarts[data[0] % std::size(kStarts)]));
    LinkTrail::Next next = trail.start();
    int requests = 0;
    LinkAnswer answer;
    while (next != LinkTrail::Next::Finished && nextAnswer(at, end, answer)) {
        if (++requests > kMaxRequests)
            fail("too many requests", trail.url().toString());
        if (!checkable(trail.url()))
            fail("asked for", trail.url().toString());
        next = trail.take(answer);
    }
    if (next != LinkTrail::Next::Finished)
        return 0;
    if (trail.take(answer) != LinkTrail::Next::Finished)
        fail("asked again after the end", trail.url().toString());
    const LinkResult &result = trail.result();
    checkPrintable("final URL", result.finalUrl, true);
    checkPrintable("moved to", result.movedTo, true);
    checkPrintable("message", result.message, false);
    // A message names at most the new address in full; anything else from the server is cut short.
    if (result.message.isEmpty() || result.message.size() > 400 + result.movedTo.size())
        fail("message", result.message);
    if ((result.status == LinkStatus::Moved) != checkable(QUrl(result.movedTo)))
        fail("moved to", result.movedTo);
    const bool codeFits = result.status == LinkStatus::Ok ? result.code >= 200 && result.code < 400
        : result.status == LinkStatus::Gone               ? result.code == 404 || result.code == 410
        : result.status == LinkStatus::Forbidden          ? result.code >= 400 && result.code < 500
                                                          : true;
    if (!codeFits)
        fail("code for its status", QString::number(result.code));
    return 0;
}
