#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

// The encoding of a page in the user's site, and text written into it. A page is never re-encoded:
// only what the program writes into it is made to fit it. The encoding is the first of a
// byte-order mark, the page's own declaration (<meta charset>, or http-equiv Content-Type) and the
// one encoding its bytes read in. Pure.
class PageEncoding
{
public:
    enum class Kind {
        Utf8,
        ShiftJis,
        EucJp,
        // ASCII, or an encoding of one byte a character whose lower half is ASCII (a page that
        // declares windows-1252, or declares nothing and holds ASCII only): everything beyond
        // ASCII is written as character references, which read the same whatever the reader
        // takes the bytes for.
        Ascii,
    };

    struct Found;
    // The page's encoding, or why it cannot be told (UTF-16, an encoding we cannot write in, bytes
    // that read in none or in more than one of UTF-8, Shift_JIS and EUC-JP).
    static Found detect(const QByteArray &page);

    explicit PageEncoding(Kind kind, QByteArray decoderName = {});

    Kind kind() const { return m_kind; }
    // The encoding's name, as a page declares it ("UTF-8", "Shift_JIS", ...).
    QString name() const;
    // Bytes of the page as text (a marker's options).
    QString decode(QByteArrayView bytes) const;
    // HTML text as the page's bytes: each character the encoding lacks as a numeric character
    // reference, which means the same in a page.
    QByteArray fromText(QStringView html) const;
    // Register HTML (CP932 bytes) as the page's bytes. A Shift_JIS page takes the bytes as they
    // are; elsewhere the references the register writes for characters CP932 lacks ("&#233;")
    // become those characters where the page's encoding has them.
    QByteArray fromRegisterHtml(const QByteArray &html) const;

private:
    Kind m_kind;
    QByteArray m_decoderName; // for an Ascii page that declared another single-byte encoding
};

struct PageEncoding::Found
{
    std::optional<PageEncoding> encoding;
    QString refusal;
};
