#pragma once

#include <QPlainTextEdit>

#include <vector>

// The read-only box that shows the generated link collection. The generator ends its lines with
// CRLF, and a copy must carry them: the user pastes the code into a web page of their own, where
// it is expected byte for byte as generated. The text shown and the text kept can differ (the box
// keeps its own line separators), so the box remembers the code it was given, and the register
// bytes it was made of, which a file gets as they are.
//
// A line longer than kMaxShownLine is shown cut, with a notice where the rest would be: a line
// with no break in it takes the box time that grows with the square of its length (half a
// megabyte, most of a minute). The code copied, saved or handed on stays whole.
class LinkCodeBox : public QPlainTextEdit
{
    Q_OBJECT
public:
    static constexpr qsizetype kMaxShownLine = 10000;

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
    // A line shown cut: where its notice stands in the box, and which part of the code it stands for.
    struct Cut
    {
        int noticeAt;
        int noticeLength;
        qsizetype omittedFrom;
        qsizetype omittedLength;
    };

    void replaceCode(const QString &code, const QByteArray &bytes);
    QString shownText(const QString &code);

    std::vector<Cut> m_cuts;
    QString m_code;
    QByteArray m_bytes;
};
