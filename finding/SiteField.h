#pragma once

#include <QByteArray>

class SiteRecord;

// The six texts of a record, in the order of the site list's columns.
enum class SiteField { Name, Url, Keyword1, Keyword2, Keyword3, Content };
constexpr int kSiteFieldCount = 6;

const QByteArray &FieldBytes(const SiteRecord &record, SiteField field);
