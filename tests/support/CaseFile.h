#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <string>

#include <gtest/gtest.h>

#include <vector>

// Bytes written readably in a case file: \r \n \t \\ and \xHH; any other escaped character
// stands for itself. `literal`, when given, converts each run of plain text between escapes before
// the escaped bytes join it, so that no converted byte is ever taken for an escape.
inline QByteArray Unescaped(const QByteArray &text, QByteArray (*literal)(const QByteArray &) = nullptr)
{
    QByteArray out, run;
    const auto flush = [&] {
        out += literal ? literal(run) : run;
        run.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            run += text[i];
            continue;
        }
        flush();
        const char c = text[++i];
        if (c == 'x') {
            out += char(text.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
        } else {
            out += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c;
        }
    }
    flush();
    return out;
}

// A field of a case file: {TEXT*N} stands for TEXT N times (long values), then it is unescaped.
inline QByteArray CaseField(const QByteArray &escaped, QByteArray (*literal)(const QByteArray &) = nullptr)
{
    static const QRegularExpression repeat(QStringLiteral("\\{([^{}*]*)\\*(\\d+)\\}"));
    QString text = QString::fromUtf8(escaped);
    for (QRegularExpressionMatch m = repeat.match(text); m.hasMatch(); m = repeat.match(text))
        text.replace(m.capturedStart(), m.capturedLength(), m.captured(1).repeated(m.captured(2).toInt()));
    return Unescaped(text.toUtf8(), literal);
}

// One row of a case file: its tab-separated fields, still escaped, and its line for messages.
struct CaseRow
{
    QList<QByteArray> fields;
    int line = 0;
    QByteArray field(qsizetype i) const { return Unescaped(fields.value(i)); }
};

// The rows of a tab-separated case file; blank lines and '#' lines are skipped.
inline std::vector<CaseRow> ReadCaseRows(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    std::vector<CaseRow> rows;
    int line = 0;
    for (const QByteArray &text : file.readAll().split('\n')) {
        ++line;
        if (!text.isEmpty() && !text.startsWith('#'))
            rows.push_back({text.split('\t'), line});
    }
    EXPECT_FALSE(rows.empty()) << path.toStdString();
    return rows;
}

// The rows of a tab-separated case file as text, fields as written (no escapes taken).
inline std::vector<QStringList> ReadCaseFile(const QString &path)
{
    std::vector<QStringList> rows;
    for (const CaseRow &row : ReadCaseRows(path))
        rows.push_back(QString::fromUtf8(row.fields.join('\t')).split(u'\t'));
    return rows;
}

// Runs the sessions of a case file: `begin()` at each "case NAME" line, `step(word, fields, row)`
// at every other line (its first field the word, the fields after it), each under a trace that
// names the session and the line.
template <class Begin, class Step>
void RunSessions(const QString &path, Begin begin, Step step)
{
    std::string name;
    for (const CaseRow &row : ReadCaseRows(path)) {
        QList<QByteArray> fields = row.fields;
        const QByteArray word = fields.takeFirst();
        if (word == "case") {
            name = fields.value(0).toStdString();
            begin();
            continue;
        }
        SCOPED_TRACE(name + " (line " + std::to_string(row.line) + ")");
        ASSERT_FALSE(name.empty()) << "a line before the first case";
        step(word, fields, row);
    }
}
