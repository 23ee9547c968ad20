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

// The message for a missing name or URL (the name is checked first), or "" when both are there.
QString CheckRequiredFields(const SiteFields &fields);

// Converts the fields into the record's bytes. Returns "" on success, or the message for the
// first field the register cannot hold (a character outside its code page, or a line break);
// the record is then left unchanged.
QString EncodeSiteFields(const SiteFields &fields, SiteRecord &record);

// Register bytes back into editable text.
SiteFields DecodeSiteFields(const SiteRecord &record);
