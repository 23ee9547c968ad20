#include "PageHead.h"

#include "HtmlText.h"

#include <algorithm>
#include <vector>

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// Blanks at either end dropped, each run inside made one space: as a browser shows a title.
QString joinBlanks(QStringView text)
{
    QString out;
    out.reserve(text.size());
    bool blank = false;
    for (QChar c : text) {
        if (isBlank(c)) {
            blank = !out.isEmpty();
            continue;
        }
        if (blank)
            out += u' ';
        blank = false;
        out += c;
    }
    return out;
}

QString charsetOfContent(const QString &content)
{
    const qsizetype at = content.indexOf(QLatin1String("charset"), 0, Qt::CaseInsensitive);
    if (at < 0)
        return {};
    qsizetype i = at + 7;
    while (i < content.size() && isBlank(content.at(i)))
        ++i;
    if (i >= content.size() || content.at(i) != u'=')
        return {};
    QString value = content.mid(i + 1).trimmed();
    if (value.startsWith(u'"') || value.startsWith(u'\''))
        value = value.mid(1);
    qsizetype end = 0;
    while (end < value.size() && !isBlank(value.at(end)) && value.at(end) != u';' && value.at(end) != u'"'
           && value.at(end) != u'\'')
        ++end;
    return value.left(end);
}

class Scanner
{
public:
    explicit Scanner(QStringView text) : m_text(text) {}

    PageHead run()
    {
        for (qsizetype lt; (lt = m_text.indexOf(u'<', m_at)) >= 0 && !done();) {
            m_at = lt + 1;
            if (m_text.mid(lt).startsWith(QLatin1String("<!--"))) {
                skipPast(QStringLiteral("-->"));
                continue;
            }
            const QString name = tagName();
            if (name.isEmpty())
                continue;
            if (name == QLatin1String("script") || name == QLatin1String("style")) {
                skipPast(QStringLiteral("</") + name);
            } else if (name == QLatin1String("title")) {
                attributes();
                const qsizetype close = m_text.indexOf(QLatin1String("</title"), m_at, Qt::CaseInsensitive);
                const qsizetype end = close < 0 ? m_text.size() : close;
                if (m_head.title.isEmpty())
                    m_head.title = joinBlanks(HtmlText::decodeReferences(m_text.mid(m_at, end - m_at).toString()));
                m_at = end;
            } else if (name == QLatin1String("meta")) {
                meta(attributes());
            }
        }
        return m_head;
    }

private:
    struct Attribute
    {
        QString name; // lower case
        QString value;
    };

    bool done() const
    {
        return !m_head.title.isEmpty() && !m_head.description.isEmpty() && !m_head.charset.isEmpty();
    }

    void skipPast(const QString &end)
    {
        const qsizetype at = m_text.indexOf(end, m_at, Qt::CaseInsensitive);
        m_at = at < 0 ? m_text.size() : at + end.size();
    }

    // The name of the start tag at m_at, lower case, m_at after it; "" for anything else.
    QString tagName()
    {
        qsizetype end = m_at;
        while (end < m_text.size() && m_text.at(end).isLetterOrNumber() && m_text.at(end).unicode() < 0x80)
            ++end;
        if (end == m_at || !m_text.at(m_at).isLetter())
            return {};
        const QString name = m_text.mid(m_at, end - m_at).toString().toLower();
        m_at = end;
        return name;
    }

    // The attributes of the tag being read, m_at after its '>'.
    std::vector<Attribute> attributes()
    {
        std::vector<Attribute> out;
        const qsizetype size = m_text.size();
        while (m_at < size) {
            while (m_at < size && (isBlank(m_text.at(m_at)) || m_text.at(m_at) == u'/'))
                ++m_at;
            if (m_at >= size || m_text.at(m_at) == u'>')
                break;
            const qsizetype nameStart = m_at;
            while (m_at < size && !isBlank(m_text.at(m_at)) && m_text.at(m_at) != u'=' && m_text.at(m_at) != u'>'
                   && m_text.at(m_at) != u'/')
                ++m_at;
            Attribute attribute{m_text.mid(nameStart, m_at - nameStart).toString().toLower(), QString()};
            while (m_at < size && isBlank(m_text.at(m_at)))
                ++m_at;
            if (m_at < size && m_text.at(m_at) == u'=') {
                ++m_at;
                while (m_at < size && isBlank(m_text.at(m_at)))
                    ++m_at;
                attribute.value = HtmlText::decodeReferences(value().toString());
            }
            out.push_back(std::move(attribute));
        }
        m_at = std::min(m_at + 1, size);
        return out;
    }

    QStringView value()
    {
        const qsizetype size = m_text.size();
        if (m_at < size && (m_text.at(m_at) == u'"' || m_text.at(m_at) == u'\'')) {
            const QChar quote = m_text.at(m_at);
            const qsizetype close = m_text.indexOf(quote, m_at + 1);
            const qsizetype end = close < 0 ? size : close;
            const QStringView quoted = m_text.mid(m_at + 1, end - m_at - 1);
            m_at = std::min(end + 1, size);
            return quoted;
        }
        const qsizetype start = m_at;
        while (m_at < size && !isBlank(m_text.at(m_at)) && m_text.at(m_at) != u'>')
            ++m_at;
        return m_text.mid(start, m_at - start);
    }

    void meta(const std::vector<Attribute> &attributes)
    {
        QString name, content, httpEquiv;
        for (const Attribute &a : attributes) {
            if (a.name == QLatin1String("charset") && m_head.charset.isEmpty())
                m_head.charset = a.value.trimmed();
            else if ((a.name == QLatin1String("name") || a.name == QLatin1String("property")) && name.isEmpty())
                name = a.value.trimmed().toLower();
            else if (a.name == QLatin1String("content"))
                content = a.value;
            else if (a.name == QLatin1String("http-equiv"))
                httpEquiv = a.value.trimmed().toLower();
        }
        if (httpEquiv == QLatin1String("content-type") && m_head.charset.isEmpty())
            m_head.charset = charsetOfContent(content);
        QString *target = name == QLatin1String("description")      ? &m_head.description
                        : name == QLatin1String("og:title")         ? &m_head.ogTitle
                        : name == QLatin1String("og:description")   ? &m_head.ogDescription
                                                                    : nullptr;
        if (target && target->isEmpty())
            *target = joinBlanks(content);
    }

    QStringView m_text;
    qsizetype m_at = 0;
    PageHead m_head;
};

} // namespace

PageHead PageHead::read(QStringView text)
{
    return Scanner(text).run();
}
