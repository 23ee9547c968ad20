#pragma once

#include "MainDialog.h"
#include "RecordingMessageBoxes.h"
#include "TempRegister.h"

#include <vector>

// A main window whose page and window operations only count their calls, so that tests see
// which operation a button reached.
class ObservedDialog : public MainDialog
{
public:
    using MainDialog::MainDialog;

    void RegisterNewSite() override { ++calls[QStringLiteral("RegisterNewSite")]; }
    void UpdateSite() override { ++calls[QStringLiteral("UpdateSite")]; }
    void DeleteSite() override { ++calls[QStringLiteral("DeleteSite")]; }
    void SelectKeywordFilter() override { ++calls[QStringLiteral("SelectKeywordFilter")]; }
    void GenerateLinkCode() override { ++calls[QStringLiteral("GenerateLinkCode")]; }
    void OnSiteJump() override { ++calls[QStringLiteral("OnSiteJump")]; }
    void OnClickBanner() override { ++calls[QStringLiteral("OnClickBanner")]; }

    QMap<QString, int> calls;
};

// Saves `records` as the register of the temporary directory in force.
void SaveRegister(const std::vector<SiteRecord> &records);
// The register as it is now on disk.
SiteList LoadRegister();

// The six registration fields, in record order.
std::vector<QString> RegistrationFields(const MainDialog &dialog);
