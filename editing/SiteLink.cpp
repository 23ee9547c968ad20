#include "SiteLink.h"

#include "CodePage.h"
#include "EditingText.h"
#include "OutsideText.h"

#include <QStringDecoder>
#include <QUrl>

namespace {

// What a browser drops from a URL before it reads its scheme: C0 controls and blanks at either
// end, tabs and line ends anywhere. "\x01javascript:" is a script to a browser.
QString asBrowserReads(const QString &url)
{
    QString out;
    for (QChar c : url) {
        if (c != u'\t' && c != u'\n' && c != u'\r')
            out += c;
    }
    qsizetype begin = 0, end = out.size();
    while (begin < end && out.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && out.at(end - 1).unicode() <= 0x20)
        --end;
    return out.mid(begin, end - begin);
}

// One line: every run of blanks and control characters becomes one space, none at either end;
// the controls that reorder text go.
QString oneLine(const QString &text)
{
    QString out;
    bool blank = false;
    for (QChar c : text) {
        if (OutsideText::isBidiControl(c.unicode()))
            continue;
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || c.isSpace()) {
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

// A query value: '+' is a blank as in forms; the bytes must be UTF-8.
bool decodeValue(const QString &raw, QString &value)
{
    QString plus = raw;
    plus.replace(u'+', u' ');
    QStringDecoder utf8(QStringDecoder::Utf8);
    value = utf8.decode(QByteArray::fromPercentEncoding(plus.toUtf8()));
    return !utf8.hasError();
}

bool isAllowedUrl(const QString &url)
{
    const QUrl parsed(url, QUrl::StrictMode);
    const QString scheme = parsed.scheme().toLower();
    return parsed.isValid() && !parsed.host().isEmpty()
        && (scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("ftp"));
}

} // namespace

bool SiteLink::isSiteLink(const QString &argument)
{
    return argument.startsWith(QLatin1String(kScheme) + u':', Qt::CaseInsensitive);
}

SiteLink::Parsed SiteLink::parse(const QString &link)
{
    Parsed out;
    if (!isSiteLink(link)) {
        out.refusal = EditingText::tr("サイト管理へのリンクではありません。");
        return out;
    }
    const QString rest = link.mid(qsizetype(qstrlen(kScheme)) + 1);
    const qsizetype question = rest.indexOf(u'?');
    const QString action = rest.left(question < 0 ? rest.size() : question);
    if (action != QLatin1String("add")) {
        out.refusal = EditingText::tr("リンクの操作「%1」は分かりません（使えるのは add だけです）。").arg(OutsideText::inMessage(action.left(40)));
        return out;
    }
    bool seen[3] = {false, false, false};
    QString *targets[3] = {&out.url, &out.name, &out.content};
    const char *keys[3] = {"url", "name", "content"};
    const QString query = question < 0 ? QString() : rest.mid(question + 1);
    for (const QString &pair : query.split(u'&', Qt::SkipEmptyParts)) {
        const qsizetype equals = pair.indexOf(u'=');
        const QString key = pair.left(equals < 0 ? pair.size() : equals);
        int which = 0;
        while (which < 3 && key != QLatin1String(keys[which]))
            ++which;
        if (which == 3) {
            out.refusal = EditingText::tr("リンクに分からない項目「%1」があります。").arg(OutsideText::inMessage(key.left(40)));
            return out;
        }
        if (seen[which]) {
            out.refusal = EditingText::tr("リンクに「%1」が二つあります。").arg(key);
            return out;
        }
        seen[which] = true;
        if (!decodeValue(equals < 0 ? QString() : pair.mid(equals + 1), *targets[which])) {
            out.refusal = EditingText::tr("リンクの「%1」が UTF-8 の文字ではありません。").arg(key);
            return out;
        }
    }
    out.url = asBrowserReads(out.url);
    out.name = OutsideText::name(oneLine(out.name));
    out.content = OutsideText::content(oneLine(out.content));
    if (out.url.isEmpty())
        out.refusal = EditingText::tr("リンクに URL がありません。");
    else if (out.url.size() > kMaxUrl)
        out.refusal = EditingText::tr("リンクの URL が長すぎます（%1 文字まで）。").arg(kMaxUrl);
    else if (!isAllowedUrl(out.url))
        out.refusal = EditingText::tr("リンクの URL は http、https、ftp のどれかでなければ登録できません。");
    return out;
}

SiteFields SiteLink::fieldsOf(const Parsed &link)
{
    SiteFields fields;
    fields.url = CodePage::toText(CodePage::urlFromText(link.url));
    fields.name = OutsideFieldText(link.name);
    fields.content = OutsideFieldText(link.content);
    return fields;
}
