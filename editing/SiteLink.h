#pragma once

#include "SiteEntry.h"

#include <QString>

// The link a browser hands over to register the page it shows:
//   sitekanri:add?url=…&name=…&content=…   (each value percent-encoded UTF-8, any order)
// It carries text from elsewhere: it is read strictly, and anything it does not expect refuses
// the whole link with a reason for the user, rather than half of it being taken.
namespace SiteLink {

inline constexpr const char *kScheme = "sitekanri";

// How long each text of a link may be, in UTF-16 code units after decoding. The register itself
// has no limits; these keep a page's whole selected text, or a link built to be huge, out of a
// field of one line.
inline constexpr int kMaxUrl = 4096;
inline constexpr int kMaxName = 500;
inline constexpr int kMaxContent = 2000;

struct Parsed
{
    QString refusal; // "" when the link is good
    QString url;     // an http, https or ftp URL as the page gave it
    QString name;    // one line, blanks joined; may be empty
    QString content; // one line, blanks joined; may be empty

    bool isGood() const { return refusal.isEmpty(); }
};

// Whether a program argument is such a link (its scheme, whatever its case).
bool isSiteLink(const QString &argument);

Parsed parse(const QString &link);

// The three texts as the registration fields hold them: they came from outside, so they are
// stored as text, not as the user's HTML (the URL in its ASCII form).
SiteFields fieldsOf(const Parsed &link);

} // namespace SiteLink
