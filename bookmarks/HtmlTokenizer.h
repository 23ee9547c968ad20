#pragma once

#include <QByteArray>

#include <vector>

// The tokens of an HTML byte stream, as far as a bookmark file needs them: text, tags with the
// attributes their handler keeps, and declarations; comments are skipped. Bytes are not decoded
// here: every byte that matters to markup is ASCII, in UTF-8 and in the Japanese multi-byte
// encodings alike. The stream comes in pieces of any size; nothing but the token being read is
// kept, and an attribute nobody keeps (a favicon's data) is skipped unstored.
class HtmlTokenizer
{
public:
    struct Attribute
    {
        QByteArray name; // in lower case
        QByteArray value;
    };
    // The first value of attribute `name` (HTML's rule when one is given twice), or null.
    static const QByteArray *find(const std::vector<Attribute> &attributes, const char *name)
    {
        for (const Attribute &attribute : attributes)
            if (attribute.name == name)
                return &attribute.value;
        return nullptr;
    }

    class Handler
    {
    public:
        virtual ~Handler() = default;
        // Text between tags, in pieces as it arrives; a '<' that opens nothing is text too.
        virtual void text(const char *data, qsizetype size) = 0;
        virtual bool keepsAttribute(const QByteArray &tag, const QByteArray &attribute) const = 0;
        // A tag, its name in lower case, once its '>' is read.
        virtual void tag(const QByteArray &name, bool end, const std::vector<Attribute> &attributes) = 0;
        // <!…> other than a comment: its first 64 bytes.
        virtual void declaration(const QByteArray &text) = 0;
    };

    explicit HtmlTokenizer(Handler &handler) : m_handler(handler) {}

    // HTML's blanks: space, tab, line feed, carriage return, form feed.
    static bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

    void feed(const char *data, qsizetype size);
    // Ends the current feed at once; later feeds read nothing.
    void stop() { m_stopped = true; }
    // False in the middle of a tag, a comment or a declaration: where a cut-short file ends.
    bool betweenTags() const { return m_state == State::Data; }
    // The line of the byte being read (during a feed) or of the end of what was fed.
    qint64 line();

private:
    enum class State {
        Data, TagOpen, EndTagOpen, TagName, BeforeAttrName, AttrName, AfterAttrName, BeforeAttrValue,
        ValueDouble, ValueSingle, ValueUnquoted, Declaration, DeclarationDash, Comment, Bogus,
    };

    void step(char c);
    void startAttribute(char c);
    void resolveAttribute();
    void endAttribute();
    void endTag();

    Handler &m_handler;
    State m_state = State::Data;
    bool m_stopped = false;
    qint64 m_line = 1;
    const char *m_counted = nullptr;
    const char *m_position = nullptr;

    QByteArray m_name;
    bool m_end = false;
    QByteArray m_attributeName;
    bool m_keepsValue = false;
    QByteArray m_value;
    std::vector<Attribute> m_attributes;
    QByteArray m_declaration;
    int m_dashes = 0;
};
