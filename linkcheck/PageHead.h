#pragma once

#include <QString>
#include <QStringView>

// What a web page says about itself in its markup: the first <title>, the <meta> description, its
// Open Graph pair and the charset it declares. Values are as the markup holds them, character
// references decoded; the title is read as a browser reads it, as text (markup in it stays
// text), its blanks joined. Comments, scripts and styles are passed over. Pure.
struct PageHead
{
    QString title;
    QString description;
    QString ogTitle;
    QString ogDescription;
    QString charset; // from <meta charset> or <meta http-equiv="Content-Type" content="…; charset=…">

    static PageHead read(QStringView text);
};
