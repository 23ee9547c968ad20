#include "MarkerOptions.h"

#include "CodePage.h"
#include "LinkCodeDocument.h"
#include "PublishingText.h"

#include <QSet>

#include <utility>
#include <vector>

namespace {

constexpr unsigned bit(RegionKind kind)
{
    return 1u << unsigned(kind);
}
constexpr unsigned kLists = bit(RegionKind::List) | bit(RegionKind::Sections);
constexpr unsigned kSiteLists = kLists | bit(RegionKind::Recent);

// Sets the option's value into the options; the reason when the value is none of its values.
using Apply = QString (*)(RegionOptions &options, const QString &value);

// One option a marker may carry. A new option is one more row.
struct OptionRow
{
    const char *name;
    bool takesValue;
    unsigned kinds; // the regions it is an option of
    Apply apply;
};

QString valueRefused(const char *option, const QString &value, const QString &values)
{
    return PublishingText::tr("「%1」の値「%2」は使えません（%3）。").arg(QLatin1String(option), value, values);
}

// A whole number from `low` to `high`, or the reason it is none.
QString readNumber(const char *option, const QString &value, int low, int high, int &number)
{
    bool ok = false;
    const int read = value.toInt(&ok);
    if (!ok || read < low || read > high)
        return valueRefused(option, value, PublishingText::tr("%1 から %2 までの数").arg(low).arg(high));
    number = read;
    return QString();
}

const std::vector<OptionRow> &optionRows()
{
    static const std::vector<OptionRow> rows{
        {"keyword", true, bit(RegionKind::List),
         [](RegionOptions &o, const QString &value) {
             QByteArray bytes;
             if (!CodePage::fromTypedText(value, bytes))
                 return PublishingText::tr("「keyword」に登録簿のキーワードにならない文字があります。");
             o.keyword = bytes;
             return QString();
         }},
        {"mode", true, kSiteLists,
         [](RegionOptions &o, const QString &value) {
             const std::optional<LinkCodeMode> mode = LinkCodeModeNamed(value);
             if (!mode)
                 return valueRefused("mode", value, PublishingText::tr("name、content、name-and-content のどれか"));
             o.mode = *mode;
             return QString();
         }},
        {"order", true, kLists,
         [](RegionOptions &o, const QString &value) {
             const std::optional<RegionOrder> order = RegionOrderNamed(value);
             if (!order)
                 return valueRefused("order", value, PublishingText::tr("register、list-name、list-url のどれか"));
             o.order = *order;
             return QString();
         }},
        {"skip-dead", false, kSiteLists, [](RegionOptions &o, const QString &) { o.skipDead = true; return QString(); }},
        {"sections", false, bit(RegionKind::Sections),
         [](RegionOptions &o, const QString &) { o.kind = RegionKind::Sections; return QString(); }},
        {"contents", false, bit(RegionKind::Sections), [](RegionOptions &o, const QString &) { o.contents = true; return QString(); }},
        {"heading", true, bit(RegionKind::Sections) | bit(RegionKind::Recent),
         [](RegionOptions &o, const QString &value) {
             const QString level = value.toLower();
             if (level.size() != 2 || level[0] != u'h' || level[1] < u'2' || level[1] > u'6')
                 return valueRefused("heading", value, PublishingText::tr("h2 から h6 まで"));
             o.headingLevel = level[1].unicode() - u'0';
             o.recentHeading = true;
             return QString();
         }},
        {"new", true, kLists,
         [](RegionOptions &o, const QString &value) { return readNumber("new", value, 0, NewSiteMark::kMaxDays, o.newDays); }},
        {"new-mark", true, kLists,
         [](RegionOptions &o, const QString &value) {
             o.newMark = LinkCodeFromText(value);
             return QString();
         }},
        {"recent", false, bit(RegionKind::Recent),
         [](RegionOptions &o, const QString &) { o.kind = RegionKind::Recent; return QString(); }},
        {"count", true, bit(RegionKind::Recent),
         [](RegionOptions &o, const QString &value) {
             return readNumber("count", value, 1, RegionOptions::kMaxRecentCount, o.recentCount);
         }},
        {"date", true, bit(RegionKind::Recent),
         [](RegionOptions &o, const QString &value) {
             const std::optional<DateStyle> style = DateStyleNamed(value);
             if (!style)
                 return valueRefused("date", value, PublishingText::tr("kanji、slashes のどちらか"));
             o.dateStyle = *style;
             return QString();
         }},
        {"feed-link", false, bit(RegionKind::FeedLink),
         [](RegionOptions &o, const QString &) { o.kind = RegionKind::FeedLink; return QString(); }},
        {"title", false, bit(RegionKind::Title), [](RegionOptions &o, const QString &) { o.kind = RegionKind::Title; return QString(); }},
        {"updated", false, bit(RegionKind::Updated),
         [](RegionOptions &o, const QString &) { o.kind = RegionKind::Updated; return QString(); }},
    };
    return rows;
}

const OptionRow *rowNamed(const QString &name)
{
    for (const OptionRow &row : optionRows()) {
        if (name == QLatin1String(row.name))
            return &row;
    }
    return nullptr;
}

// The words that make a region of another kind than a list: what a message names them by.
QString kindWords(unsigned kinds)
{
    QStringList words;
    for (const char *word : {"sections", "title", "updated", "recent", "feed-link"}) {
        if (kinds & rowNamed(QLatin1String(word))->kinds)
            words << QLatin1String(word);
    }
    return words.join(PublishingText::tr("・"));
}

struct Token
{
    QString name;
    std::optional<QString> value;
};

bool isBlank(QChar c)
{
    return c.isSpace();
}

// Splits `text` into name and name="value" (or 'value', or a value without quotes); false with the
// reason in `refusal` when a quote is never closed.
bool tokens(QStringView text, std::vector<Token> &out, QString &refusal)
{
    qsizetype at = 0;
    while (true) {
        while (at < text.size() && isBlank(text[at]))
            ++at;
        if (at >= text.size())
            return true;
        const qsizetype nameStart = at;
        while (at < text.size() && !isBlank(text[at]) && text[at] != u'=')
            ++at;
        Token token{text.sliced(nameStart, at - nameStart).toString(), std::nullopt};
        if (at < text.size() && text[at] == u'=') {
            ++at;
            if (at < text.size() && (text[at] == u'"' || text[at] == u'\'')) {
                const QChar quote = text[at++];
                const qsizetype end = text.indexOf(quote, at);
                if (end < 0) {
                    refusal = PublishingText::tr("「%1」の値の引用符が閉じていません。").arg(token.name);
                    return false;
                }
                token.value = text.sliced(at, end - at).toString();
                at = end + 1;
            } else {
                const qsizetype valueStart = at;
                while (at < text.size() && !isBlank(text[at]))
                    ++at;
                token.value = text.sliced(valueStart, at - valueStart).toString();
            }
        }
        out.push_back(std::move(token));
    }
}

} // namespace

MarkerReading ReadMarkerOptions(QStringView text, const RegionOptions &defaults)
{
    std::vector<Token> given;
    QString refusal;
    if (!tokens(text, given, refusal))
        return {std::nullopt, refusal};
    RegionOptions options = defaults;
    std::vector<const OptionRow *> used;
    QSet<QString> seen;
    for (const Token &token : given) {
        const OptionRow *row = rowNamed(token.name);
        if (!row)
            return {std::nullopt, PublishingText::tr("「%1」という指定はありません。").arg(token.name)};
        if (seen.contains(token.name))
            return {std::nullopt, PublishingText::tr("「%1」が二度あります。").arg(token.name)};
        seen.insert(token.name);
        if (row->takesValue && !token.value)
            return {std::nullopt, PublishingText::tr("「%1」には値が要ります（%1=\"…\"）。").arg(token.name)};
        if (!row->takesValue && token.value)
            return {std::nullopt, PublishingText::tr("「%1」に値は付けられません。").arg(token.name)};
        if (QString why = row->apply(options, token.value.value_or(QString())); !why.isEmpty())
            return {std::nullopt, why};
        used.push_back(row);
    }
    // Only now is the region's kind known, whatever order the options came in.
    for (const OptionRow *row : used) {
        if (row->kinds & bit(options.kind))
            continue;
        const QString name = QLatin1String(row->name);
        if (options.kind == RegionKind::List)
            return {std::nullopt, PublishingText::tr("「%1」は %2 と一緒にだけ使えます。").arg(name, kindWords(row->kinds))};
        return {std::nullopt, PublishingText::tr("「%1」は %2 と一緒には使えません。").arg(name, kindWords(bit(options.kind)))};
    }
    // A mark without the days it is for would never show.
    if (seen.contains(QStringLiteral("new-mark")) && options.newDays == 0)
        return {std::nullopt, PublishingText::tr("「new-mark」は new=\"日数\" と一緒にだけ使えます。")};
    // A default the kind does not take (a page's mode for its title) is no option of the marker.
    return {options, {}};
}

namespace {

constexpr std::pair<LinkCodeMode, const char *> kModeWords[] = {
    {LinkCodeMode::Name, "name"}, {LinkCodeMode::Content, "content"}, {LinkCodeMode::NameAndContent, "name-and-content"}};
constexpr std::pair<RegionOrder, const char *> kOrderWords[] = {
    {RegionOrder::Register, "register"}, {RegionOrder::ListName, "list-name"}, {RegionOrder::ListUrl, "list-url"}};
constexpr std::pair<DateStyle, const char *> kDateWords[] = {{DateStyle::Kanji, "kanji"}, {DateStyle::Slashes, "slashes"}};

template <class Value, std::size_t N>
std::optional<Value> valueNamed(QStringView word, const std::pair<Value, const char *> (&words)[N])
{
    for (const auto &[value, name] : words) {
        if (word == QLatin1String(name))
            return value;
    }
    return std::nullopt;
}

template <class Value, std::size_t N>
QString wordOf(Value value, const std::pair<Value, const char *> (&words)[N])
{
    for (const auto &[known, name] : words) {
        if (known == value)
            return QLatin1String(name);
    }
    return QString();
}

} // namespace

std::optional<LinkCodeMode> LinkCodeModeNamed(QStringView word)
{
    return valueNamed(word, kModeWords);
}

QString LinkCodeModeWord(LinkCodeMode mode)
{
    return wordOf(mode, kModeWords);
}

std::optional<RegionOrder> RegionOrderNamed(QStringView word)
{
    return valueNamed(word, kOrderWords);
}

QString RegionOrderWord(RegionOrder order)
{
    return wordOf(order, kOrderWords);
}

std::optional<DateStyle> DateStyleNamed(QStringView word)
{
    return valueNamed(word, kDateWords);
}

QString DateStyleWord(DateStyle style)
{
    return wordOf(style, kDateWords);
}
