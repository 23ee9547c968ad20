#pragma once

#include <QCoreApplication>

// The one door of the words the bookmark import and export builds for people (why a file cannot be
// read, why a bookmark is left out, the import's summary): each goes through BookmarkText::tr(), so
// that another language is a translation of the context "BookmarkText" installed with
// QCoreApplication::installTranslator, and no bookmark code changes. Without one, tr() gives the
// Japanese of the source.
class BookmarkText
{
    Q_DECLARE_TR_FUNCTIONS(BookmarkText)
};
