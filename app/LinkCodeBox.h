#pragma once

#include <QPlainTextEdit>

// The read-only box that shows the generated link collection. The generator ends its lines with
// CRLF, and a copy must carry them: the user pastes the code into a web page of their own, where
// it is expected byte for byte as generated. The text shown and the text kept can differ (the box
// keeps its own line separators), so the box remembers the code it was given.
class LinkCodeBox : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit LinkCodeBox(QWidget *parent = nullptr);

    // Replaces the whole text; copying the whole box gives `code` back exactly.
    void setLinkCode(const QString &code);
    QString linkCode() const { return m_code; }

protected:
    QMimeData *createMimeDataFromSelection() const override;

private:
    QString m_code;
};
