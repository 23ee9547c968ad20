#pragma once

#include "SiteTexts.h"

#include <QString>

// A record's texts as a person reads them, wherever the window shows a site (the list and its
// tooltips, questions, the status line, the link check) and where search and sort look: a name
// and a content are HTML and read as the text a page shows (HtmlText::shownText); a keyword
// with the characters the code page lacks as themselves (CodePage::toTypedText); the URL in the
// characters it stands for (CodePage::urlToDisplayText). The fields edit what is stored, and
// `sitekanri-cli list` prints it.
QString ShownText(const SiteRecord &record, SiteText text);

inline QString ShownName(const SiteRecord &record)
{
    return ShownText(record, kNameText);
}

// Whether the text shown is the stored text decoded, found without building either: most texts
// hold no markup, reference or encoded URL, and a search index of a hundred thousand records
// then decodes each record once.
bool ShownAsStored(const SiteRecord &record, SiteText text);
