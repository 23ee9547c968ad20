#pragma once

#include "RegistrationEdges.h"

#include <QObject>

class SiteRegister;

// The record the six registration fields were filled from: its number and its texts as the user
// saw them, which 更新 compares the disk with. While the fields hold what was filled in, they
// follow the record when another program changes it (and what was seen follows too); once the
// user has typed, they keep the typing, and the version seen stays the one the typing began from.
class FieldsRecord : public QObject
{
    Q_OBJECT
public:
    // `fields` reads and writes the six fields.
    FieldsRecord(SiteRegister &siteRegister, RegistrationEdges &fields, QObject *parent = nullptr);

    int number() const { return m_shown.number; }
    const SeenRecord &seen() const { return m_shown; }
    // The fields show record `number` as the register holds it now, over what they held; a
    // number without a record changes nothing.
    void show(int number);
    // What was typed stays, now as a change of record `number` as the register holds it now.
    void keepTypedFor(int number);
    // The fields now hold text that belongs to no record (a site offered from elsewhere): 更新 has
    // nothing to act on, and no change made elsewhere writes over it, whatever the text.
    void forget();
    // The fields hold exactly what they were filled with.
    bool isUntouched() const;
    // The fields hold text kept nowhere else: changed from the record they show, or any text at
    // all where they show no record (or one removed elsewhere).
    bool holdsUnsavedText() const;
    // Whether the fields show record `number`, still registered (a number freed elsewhere and
    // given again is another record).
    bool shows(int number) const { return !m_gone && number == m_shown.number; }

private:
    void recordChanged(int position);
    void noteRemoval();

    SiteRegister &m_register;
    RegistrationEdges &m_fields;
    SeenRecord m_shown;
    bool m_gone = false;
};
