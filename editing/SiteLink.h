#pragma once

#include "SiteEntry.h"

#include <QString>

// The link a browser hands over to register the page it shows:
//   sitekanri:add?url=…&name=…&content=…   (each value percent-encoded UTF-8, any order)
// It carries text from elsewhere: it is read strictly, and anything it does not expect refuses
// the whole link with a reason for the user, rather than half of it being taken.
namespace SiteLink {

inline constexpr const char *kScheme = "sitekanri";

// How long a link's URL may be, in UTF-16 code units after decoding; a longer one is refused. Its
// name and content are cut as all text from outside is (OutsideText): a page's whole selected text
// still registers the page.
inline constexpr int kMaxUrl = 4096;

struct Parsed
{
    QString refusal; // "" when the link is good
    QString url;     // an http, https or ftp URL as the page gave it
    QString name;    // one line, blanks joined, cut as OutsideText::name; may be empty
    QString content; // one line, blanks joined, cut as OutsideText::content; may be empty

    bool isGood() const { return refusal.isEmpty(); }
};

// Whether a program argument is such a link (its scheme, whatever its case).
bool isSiteLink(const QString &argument);

Parsed parse(const QString &link);

// The three texts as the registration fields hold them: they came from outside, so they are
// stored as text, not as the user's HTML (the URL in its ASCII form).
SiteFields fieldsOf(const Parsed &link);

} // namespace SiteLink
