#pragma once

#include "RegistrationEdges.h"

#include <QStringList>

// Stands in for the window: fields and current row as the test sets them, answers as queued,
// and a record of every message, question and refill.
class FakeRegistrationEdges : public RegistrationEdges
{
public:
    SiteFields ReadSiteFields() const override { return fields; }
    int GetSelectedSiteRow() const override { return row; }
    void ShowMessage(const QString &text) override { messages << text; }
    bool AskYesNo(const QString &question) override
    {
        questions << question;
        return answerYes;
    }
    void FillSiteList() override { ++fills; }

    SiteFields fields;
    int row = -1;
    bool answerYes = true;

    QStringList messages;
    QStringList questions;
    int fills = 0;
};
