#pragma once

#include <QLabel>

#include <vector>

struct ConflictCopy;
struct IoResult;

// A line below the list for what happened without the user asking: it tells, without a question
// to answer, and stays until there is something new to tell.
class StatusLine : public QLabel
{
    Q_OBJECT
public:
    explicit StatusLine(QWidget *parent = nullptr);

    // What a take-in of a sync tool's conflict copies did, copy by copy.
    void showConflictsTakenIn(const std::vector<ConflictCopy> &copies);
    // Where a link collection was saved.
    void showLinkCodeSaved(const QString &path);
    // The data files the register passed over (links, folders, pipes, devices, files over the
    // limit), each named with why.
    void showPassedOver(const std::vector<IoResult> &files);
    // What an operation on many sites did (a keyword renamed, set, taken off; the register
    // written to a bookmark file).
    void showDone(const QString &text) { tell(text); }

private:
    // `text` until there is something new to tell; nothing at all for an empty one.
    void tell(const QString &text);
};

// The words for one take-in: each copy named, with the record it became.
QString ConflictsTakenInText(const std::vector<ConflictCopy> &copies);
// The words for data files passed over: each named, with why.
QString PassedOverText(const std::vector<IoResult> &files);
