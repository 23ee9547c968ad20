#pragma once

#include <QString>

class SiteRecord;

// The six texts of one site as a person typed them, before they become register bytes.
struct SiteFields
{
    QString name;
    QString url;
    QString keyword1;
    QString keyword2;
    QString keyword3;
    QString content;
};

// The six fields, in record order.
enum class SiteFieldId { Name, Url, Keyword1, Keyword2, Keyword3, Content };

// Why fields cannot be stored, and the field it is about (where the user is sent to mend it).
struct FieldRefusal
{
    QString message; // "" when nothing is refused
    SiteFieldId field = SiteFieldId::Name;

    bool isEmpty() const { return message.isEmpty(); }
};

// A missing name or URL (the name is checked first); blanks alone count as missing.
FieldRefusal CheckRequiredFields(const SiteFields &fields);

// Completes a URL typed without a scheme as a browser's address bar would ("close.example.jp"
// becomes "http://close.example.jp"), so that the link written for it works. Returns whether the
// URL changed; one that cannot be completed is left as typed.
bool CompleteSiteUrl(SiteFields &fields);

// Converts the fields into the record's bytes: a character outside the code page as a numeric
// character reference ("&#233;"), the URL in its stored form (CodePage::urlFromText). Refuses the
// first field the register cannot hold: a line break, a NUL or half a surrogate pair, which the
// message names, or a web address without a host ("http://"). The record is then left unchanged.
FieldRefusal EncodeSiteFields(const SiteFields &fields, SiteRecord &record);

// One keyword as typed, as register bytes, refused as EncodeSiteFields refuses a keyword field.
FieldRefusal EncodeKeyword(const QString &keyword, QByteArray &bytes);

// Register bytes back into editable text: the stored HTML, but for the references to characters
// the code page lacks, which show as those characters (CodePage::toTypedText); EncodeSiteFields
// stores the same bytes again.
SiteFields DecodeSiteFields(const SiteRecord &record);

// Text from outside (a page's title, a link's name) as the name or content field holds it: text,
// escaped as HTML, which the register stores as it would store it from outside.
QString OutsideFieldText(const QString &text);
