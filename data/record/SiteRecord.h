#pragma once

#include "IoResult.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <utility>

class IniDocument;

// One registered site. Its six texts are byte strings in the register's code page (CP932),
// kept exactly as entered: never decoded, trimmed or re-encoded here.
class SiteRecord
{
public:
    SiteRecord();
    SiteRecord(const SiteRecord &other) = default;
    SiteRecord &operator=(const SiteRecord &other) = default;
    // Moves keep a list of 100 000 records cheap to close up when one leaves it.
    SiteRecord(SiteRecord &&other) noexcept = default;
    SiteRecord &operator=(SiteRecord &&other) noexcept = default;
    // No virtual member: a record is a value held by the hundred thousand, and nothing derives
    // from it (a table of virtual functions would add a pointer to each).
    ~SiteRecord() = default;

    // m_valid 1, six empty texts and no dates.
    void Clear();

    QByteArray GetName() const { return m_name; }
    QByteArray GetUrl() const { return m_url; }
    QByteArray GetKeyword1() const { return m_keyword1; }
    QByteArray GetKeyword2() const { return m_keyword2; }
    QByteArray GetKeyword3() const { return m_keyword3; }
    QByteArray GetContent() const { return m_content; }

    // The data file's [DATA] section, in and out of a parsed file.
    void ReadFrom(const IniDocument &file);
    bool WriteTo(IniDocument &file) const; // true when the file's text changed
    // The first field the file format cannot hold (a line break or NUL in it), or "".
    QString UnstorableKey() const;

    // When the site was added and last changed: seconds since 1970-01-01 UTC, 0 where unknown (a
    // file written before the program kept dates, or dates that belong to another site's URL).
    std::int64_t GetAdded() const { return m_added; }
    std::int64_t GetChanged() const { return m_changed; }
    void SetDates(std::int64_t added, std::int64_t changed)
    {
        m_added = added;
        m_changed = changed;
    }

    void SetName(QByteArray name) { m_name = std::move(name); }
    void SetUrl(QByteArray url) { m_url = std::move(url); }
    void SetKeyword1(QByteArray keyword) { m_keyword1 = std::move(keyword); }
    void SetKeyword2(QByteArray keyword) { m_keyword2 = std::move(keyword); }
    void SetKeyword3(QByteArray keyword) { m_keyword3 = std::move(keyword); }
    void SetContent(QByteArray content) { m_content = std::move(content); }

    std::int32_t GetValid() const { return m_valid; }

    // Where the record was brought in in place of another's number, as its file says: the number of
    // the data file a sync tool's conflict copy was of (a take-in), or of the place an undo put it
    // back while another record stood there; -1 where the file does not say which, 0 for a record
    // made otherwise. Such a record equal to another is one site taken in or put back twice (two
    // computers did it at once), or beside the losing version the copy holds, still under its old
    // number on a computer the winning version has not reached yet.
    int GetInPlaceOf() const { return m_inPlaceOf; }

private:
    std::int32_t m_valid = 1;
    int m_inPlaceOf = 0;
    QByteArray m_name;
    QByteArray m_url;
    QByteArray m_keyword1;
    QByteArray m_keyword2;
    QByteArray m_keyword3;
    QByteArray m_content;
    std::int64_t m_added = 0;
    std::int64_t m_changed = 0;

public:
    // The six texts, in the order of the data file and of the list's columns: the one list every
    // comparison, file, column and printout walks, so that none of them can leave a text out.
    static constexpr std::array<QByteArray SiteRecord::*, 6> kTexts = {
        &SiteRecord::m_name,     &SiteRecord::m_url,      &SiteRecord::m_keyword1,
        &SiteRecord::m_keyword2, &SiteRecord::m_keyword3, &SiteRecord::m_content};
};

bool operator==(const SiteRecord &a, const SiteRecord &b);

// The short digest of a URL that ties the dates in a data file to the URL they were written for.
QByteArray DatesUrlDigest(const QByteArray &url);

// Marks a record's file as brought in in place of data file `number` (SiteRecord::GetInPlaceOf).
void MarkInPlaceOf(IniDocument &file, int number);

// The failure for a value the format cannot hold (a line break or NUL in it).
IoResult UnstorableValueFailure(const QString &path, const QString &key);
inline bool operator!=(const SiteRecord &a, const SiteRecord &b) { return !(a == b); }
