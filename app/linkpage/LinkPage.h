#pragma once

#include "DialogPage.h"
#include "LinkCodeDocument.h"

class LinkPreview;

// Page 1 of the tab: the keyword combo, the output mode, the generated HTML with its preview,
// and the buttons that generate, copy and save it. Copying and saving are the page's own work;
// everything else it tells the window.
class LinkPage : public DialogPage
{
    Q_OBJECT
public:
    LinkPage(const DialogUnits &units, QWidget *parent = nullptr);

    // Puts the whole output box on the clipboard as plain text, exactly as generated, and leaves
    // it selected.
    void CopyLinkCode();
    // Asks how and where, then writes the output box's code to a file.
    void SaveLinkCode();

    LinkPreview *preview() const { return m_preview; }

signals:
    void generateRequested();
    // 公開: the collection written into the pages of the user's site.
    void publishRequested();
    // The user chose an entry of the keyword combo (not a change the program made itself).
    void keywordChosen();
    // The user chose another output mode.
    void modeChanged();
    // The user turned "リンク切れを除く" on or off.
    void deadLinkOptionChanged();
    // The user turned the list's order on or off.
    void orderOptionChanged();
    // The user turned the 新着 mark on or off, or changed its days or its HTML.
    void newMarkOptionChanged();
    // A save went wrong; `message` says which file and why.
    void saveFailed(const QString &message);
    // The code was saved to the file `path`.
    void saved(const QString &path);
    // The code is about to be copied or saved: it must be what コード生成 would make now.
    void codeWanted();

private:
    void splitOutputBox();

    LinkPreview *m_preview = nullptr;
    // The last choices of the save dialog and the last file, offered again for the next save.
    LinkCodeFormat m_saveFormat;
    QString m_savePath;
};
