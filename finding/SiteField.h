#pragma once

// The six texts of a record, in the order of the site list's columns and of kSiteTexts.
enum class SiteField { Name, Url, Keyword1, Keyword2, Keyword3, Content };
constexpr int kSiteFieldCount = 6;
