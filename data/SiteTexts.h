#pragma once

#include "SiteRecord.h"

#include <array>

// The six texts of a record, in the order of its data file and of the list's columns: every
// comparison, file and column walks this one list, so that none of them can leave a text out.
using SiteText = QByteArray SiteRecord::*;
inline constexpr std::array<SiteText, 6> kSiteTexts = {&SiteRecord::m_name,     &SiteRecord::m_url,
                                                       &SiteRecord::m_keyword1, &SiteRecord::m_keyword2,
                                                       &SiteRecord::m_keyword3, &SiteRecord::m_content};

// The six texts alike: what another program changed shows in them, not in m_valid.
bool SameTexts(const SiteRecord &a, const SiteRecord &b);
// The six texts as one key: equal texts, equal keys (no text can hold a NUL).
QByteArray TextsKey(const SiteRecord &record);
