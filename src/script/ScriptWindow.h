#pragma once
// The script window: one modeless "Script" window floating over the main window, its text in a
// QTextEdit filling it. Made hidden with the document and never destroyed while the program
// runs (the close box hides it). It loads and saves RTF or plain-text scripts, keeps its
// rectangle in the profile's "Script" keys, and follows the current frame both ways: a frame
// change scrolls the script, scrolling the script moves the frame.

#include <QDialog>
#include <vector>

#include "model/DocumentListener.h"
#include "model/ScriptHolder.h"

class QTextEdit;

namespace quillon {

class Document;

class ScriptWindow final : public QDialog, public ScriptHolder, public DocumentListener {
    Q_OBJECT
  public:
    static inline const QString kNoScript = QStringLiteral("No Script");

    ScriptWindow(Document& doc, QWidget* owner);
    ~ScriptWindow() override;

    // Load: with an empty path an open dialog asks for one. False, with nothing changed, when
    // nothing is chosen or the file cannot be read. RTF when the name contains ".rtf".
    bool LoadFile(const QString& path);
    // Save: with an empty path a dialog asks for the name. False when nothing is chosen or the
    // file cannot be written. A name containing "ExportedScript.rtf" is an export: the title,
    // the remembered name and the modified mark stay as they were.
    bool SaveFile(const QString& path);

    // ScriptHolder: the document's loads show the window.
    bool Load(const QString& path) override;
    bool modified() const override;
    QString path() const override { return fileName_; }
    void Save() override { SaveFile(QString()); }
    void ToggleShown() override { setVisible(!isVisible()); }

    // Scrolls so that the frame's line is at the top (when a scene holds the frame).
    void FollowFrame(int frame);
    // Lines as the editor lays them out (a paragraph's line breaks start lines of their own),
    // and the first one at least partly in view.
    int LineCount() const;
    int FirstVisibleLine() const;
    // Puts line at the top as far as the scroll range allows.
    void ScrollToLine(int line);

    QTextEdit* editor() const { return edit_; }

    void DocumentChanged(const DocumentChange& change) override;

  protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void StoreRect();
    void ScrolledByUser();
    void SetTitleFrom(const QString& path);
    // The top of each laid-out line, in document pixels; kept until the text or its layout
    // changes.
    const std::vector<int>& LineTops() const;

    Document& doc_;
    QTextEdit* edit_;
    QString fileName_ = kNoScript;
    int lastFirstLine_ = 0;
    mutable std::vector<int> lineTops_;
    mutable bool lineTopsValid_ = false;
    bool following_ = false;  // our own scrolling, not the user's
    bool placing_ = true;     // moves and sizes before the stored rectangle is applied
};

}  // namespace quillon
