#pragma once

#include "EntryChanges.h"
#include "MarkerOptions.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class LinkSource;

// What a page of the list says beyond its markers.
struct PageSettings
{
    // The title of a page of our own (its <title>) and of every title region; "リンク集" when empty.
    QString title;
    // What a marker does not say (a page of our own is made in the mode the user chose for it).
    RegionOptions defaults;
    // Where the feed published with the page is, relative to the page (its feed-link region);
    // empty when none is.
    QString feedHref;
};

// A page as a publish would write it, or why it cannot be.
struct ComposedPage
{
    QByteArray bytes;
    QString refusal; // "line 12: why" where a line is to blame
    SiteChanges changes;
    QStringList warnings; // written all the same (a keyword no site carries: an empty list)
    bool unmarked = false; // refused for want of any marker (a folder passes such pages over)

    bool ok() const { return refusal.isEmpty(); }
};

// The user's own page, `current` as it is now, with each region filled and every other byte as it
// was. A page without a marker is refused: there is nowhere to write.
ComposedPage ComposeMarkedPage(const QByteArray &current, const LinkSource &source, const PageSettings &settings);

// A page of our own: the template `pageTemplate` filled, its <title> the title; `current` is what the
// file holds now (null when there is none yet), whose date of the last change stays while nothing
// else changes.
ComposedPage ComposeOwnPage(const QByteArray &pageTemplate, const QByteArray *current, const LinkSource &source,
                            const PageSettings &settings);

// The page of our own the program ships: HTML5 in UTF-8, the title, a table of contents, one
// section per keyword and the date of the last change.
QByteArray DefaultPageTemplate();

// The title used where none was chosen.
QString DefaultPageTitle();
