#pragma once

#include <QString>
#include <QUrl>

// The address that `text` stands for, completed as a browser's address bar would
// ("www.example.jp" -> "http://www.example.jp"; blanks around it do not count). Invalid when
// nothing sensible can be made of it. Opening a site and storing one complete alike, so that the
// link written into a collection goes where サイトジャンプ goes.
QUrl CompleteUrl(const QString &text);

// Whether `text` (blanks around it aside) starts with a scheme written out ("https://...").
bool HasExplicitScheme(const QString &text);
