#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include <optional>

// The charset a bookmark file's text is read in: UTF-8, unless a byte-order mark fixes it or a
// <META> before the first folder or link names another that Qt knows.
class BookmarkCharset
{
public:
    // A byte-order mark outranks any <META>.
    void fix() { m_fixed = true; }
    bool isFixed() const { return m_fixed; }

    // Takes the charset a <META> names, by its charset or content attribute (either may be
    // null). Nothing when the file can be read on, otherwise why it cannot.
    std::optional<QString> declare(const QByteArray *charset, const QByteArray *content);

    struct Text
    {
        QString text;
        // Bytes the charset cannot read were met; the message says which charset and line.
        std::optional<QString> failure;
    };
    // The bytes of one text, attribute or name read in the charset; `line` names where they
    // stand, for the message.
    Text decode(const QByteArray &bytes, qint64 line);

private:
    std::optional<QString> take(QByteArray label);

    bool m_fixed = false;
    QByteArray m_name = QByteArrayLiteral("UTF-8");
    QStringDecoder m_decoder{QStringConverter::Utf8, QStringConverter::Flag::Stateless};
};
