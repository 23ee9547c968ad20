#pragma once

#include "SiteRecord.h"

#include <array>

// The six texts of a record (SiteRecord::kTexts), each reached as `record.*text`.
using SiteText = QByteArray SiteRecord::*;
inline constexpr std::array<SiteText, 6> kSiteTexts = SiteRecord::kTexts;
inline constexpr SiteText kNameText = kSiteTexts[0];
inline constexpr SiteText kUrlText = kSiteTexts[1];
inline constexpr SiteText kKeyword1Text = kSiteTexts[2];
inline constexpr SiteText kKeyword2Text = kSiteTexts[3];
inline constexpr SiteText kKeyword3Text = kSiteTexts[4];
inline constexpr SiteText kContentText = kSiteTexts[5];

// The six texts alike: what another program changed shows in them, not in m_valid.
bool SameTexts(const SiteRecord &a, const SiteRecord &b);
// The six texts as one key: equal texts, equal keys (no text can hold a NUL).
QByteArray TextsKey(const SiteRecord &record);
