#pragma once

#include "PageComposer.h"

#include <QString>

#include <vector>

// One entry of the pages a register is published to.
struct PageEntry
{
    enum class Kind {
        Marked,  // the user's own page, or a folder: each HTML file in it (and below) with a marker
        OwnPage, // a whole page written from a template
        Feed,     // an Atom feed of the sites added last (settings.title, settings.defaults.recentCount)
        Blogroll, // an OPML file of the sites by keyword
    };
    Kind kind = Kind::Marked;
    QString path;         // the page or folder; for a page of our own, the file it is written to
    QString templatePath; // a page of our own: the user's template, empty for the default
    PageSettings settings;
};

// The pages of one register on this computer, and whether every change of the register publishes
// them. Paths differ between computers, so the list is kept per computer, in the program's
// configuration folder (publishing.ini beside window.ini), and per register folder: a register
// reached with --dir has a list of its own.
//
// The server the pages go to is named here by its name in upload.ini (UploadSettings), where
// the servers of this computer are kept: a name the user gave it and sees, which one server's
// settings answer to. Renamed or removed there, every list that names it follows (renameServer).
struct PublishList
{
    std::vector<PageEntry> pages;
    bool publishOnChange = false;
    QString server; // empty: the pages are not uploaded

    // Where the lists are kept: ~/.config/sitekanri/publishing.ini, or as XDG_CONFIG_HOME says.
    static QString defaultFile();
    // The list of the register in `registerFolder` (none yet: an empty list).
    static PublishList load(const QString &registerFolder, const QString &file = defaultFile());
    // Keeps the list, those of other registers untouched; false when the file cannot be written.
    bool save(const QString &registerFolder, const QString &file = defaultFile()) const;
    // Every register's list that names the server `from` names `to` instead (empty: none).
    static bool renameServer(const QString &from, const QString &to, const QString &file = defaultFile());
};
