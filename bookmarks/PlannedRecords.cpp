#include "PlannedRecords.h"

#include "HtmlText.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

// The markup escapes HtmlText writes, each packed as the byte of its place in kMarkupEscapes plus
// one. A byte of the text that is itself one of those codes, or the prefix, is packed after the
// prefix, so that any bytes at all come back as they were.
using HtmlText::kMarkupEscapes;
constexpr char kPrefix = char(std::size(kMarkupEscapes) + 1); // after the codes

bool isCode(char byte)
{
    return byte >= 1 && byte <= kPrefix;
}

// The escape that starts at `at`, with `left` bytes from there on, as its code; or 0.
char escapeCode(const char *at, qsizetype left)
{
    for (std::size_t code = 0; code < std::size(kMarkupEscapes); ++code) {
        const HtmlText::MarkupEscape &escape = kMarkupEscapes[code];
        if (left >= escape.length && std::memcmp(at, escape.reference, std::size_t(escape.length)) == 0)
            return char(code + 1);
    }
    return 0;
}

QByteArray packed(const QByteArray &text)
{
    const char *data = text.constData();
    const qsizetype size = text.size();
    qsizetype codes = 0;
    for (qsizetype i = 0; i < size; ++i)
        codes += isCode(data[i]) ? 1 : 0;
    QByteArray out(size + codes, Qt::Uninitialized);
    char *to = out.data();
    for (qsizetype i = 0; i < size; ++i) {
        if (const char code = data[i] == '&' ? escapeCode(data + i, size - i) : 0) {
            *to++ = code;
            i += kMarkupEscapes[std::size_t(code - 1)].length - 1;
            continue;
        }
        if (isCode(data[i]))
            *to++ = kPrefix;
        *to++ = data[i];
    }
    out.truncate(to - out.constData());
    out.squeeze();
    return out;
}

QByteArray unpacked(const QByteArray &packedText)
{
    const char *data = packedText.constData();
    const qsizetype size = packedText.size();
    // Measured first, so that a text growing fivefold is written in place, not grown step by step.
    qsizetype length = 0;
    for (qsizetype i = 0; i < size; ++i) {
        if (data[i] == kPrefix)
            length += ++i < size ? 1 : 0;
        else
            length += isCode(data[i]) ? kMarkupEscapes[std::size_t(data[i] - 1)].length : 1;
    }
    QByteArray out(length, Qt::Uninitialized);
    char *to = out.data();
    for (qsizetype i = 0; i < size; ++i) {
        if (data[i] == kPrefix) {
            if (++i < size)
                *to++ = data[i];
        } else if (isCode(data[i])) {
            const HtmlText::MarkupEscape &escape = kMarkupEscapes[std::size_t(data[i] - 1)];
            to = std::copy_n(escape.reference, escape.length, to);
        } else {
            *to++ = data[i];
        }
    }
    return out;
}

} // namespace

void PlannedRecords::push_back(const SiteRecord &record)
{
    SiteRecord small = record;
    small.SetName(packed(record.GetName()));
    small.SetContent(packed(record.GetContent()));
    m_packed.push_back(std::move(small));
}

void PlannedRecords::setKeywords(std::size_t index, const std::array<QByteArray, 3> &keywords)
{
    SiteRecord &record = m_packed.at(index);
    record.SetKeyword1(keywords[0]);
    record.SetKeyword2(keywords[1]);
    record.SetKeyword3(keywords[2]);
}

SiteRecord PlannedRecords::at(std::size_t index) const
{
    SiteRecord record = m_packed.at(index);
    record.SetName(unpacked(record.GetName()));
    record.SetContent(unpacked(record.GetContent()));
    return record;
}

std::vector<SiteRecord> PlannedRecords::all() const
{
    std::vector<SiteRecord> records;
    records.reserve(m_packed.size());
    for (std::size_t i = 0; i < m_packed.size(); ++i)
        records.push_back(at(i));
    return records;
}
