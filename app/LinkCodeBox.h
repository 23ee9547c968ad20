#pragma once

#include <QPlainTextEdit>

// The read-only box that shows the generated link collection. The generator ends its lines with
// CRLF, and a copy must carry them: the user pastes the code into a web page of their own, where
// it is expected byte for byte as generated. The text shown and the text kept can differ (the box
// keeps its own line separators), so the box remembers the code it was given, and the register
// bytes it was made of, which a file gets as they are.
class LinkCodeBox : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit LinkCodeBox(QWidget *parent = nullptr);

    // Replaces the whole text; copying the whole box gives `code` back exactly.
    void setLinkCode(const QString &code);
    // The same, from the generator's bytes.
    void setLinkCode(const QByteArray &bytes);
    QString linkCode() const { return m_code; }
    QByteArray linkCodeBytes() const { return m_bytes; }

signals:
    void linkCodeChanged(const QString &code);

protected:
    QMimeData *createMimeDataFromSelection() const override;

private:
    void replaceCode(const QString &code, const QByteArray &bytes);

    QString m_code;
    QByteArray m_bytes;
};
