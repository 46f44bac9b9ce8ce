#include "ScriptWindow.h"

#include <QAbstractTextDocumentLayout>
#include <QFileInfo>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <QVBoxLayout>
#include <algorithm>

#include "RichTextDocument.h"
#include "ScriptFile.h"
#include "ScriptFollowing.h"
#include "model/Document.h"
#include "model/DocumentHost.h"
#include "model/FileFilters.h"
#include "model/Settings.h"
#include "model/ShowNode.h"

namespace quillon {

namespace {

const QString kExportName = QStringLiteral("ExportedScript.rtf");

}  // namespace

ScriptWindow::ScriptWindow(Document& doc, QWidget* owner) : QDialog(owner), doc_(doc) {
    setWindowTitle(QStringLiteral("Script"));
    setModal(false);
    setSizeGripEnabled(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    edit_ = new QTextEdit(this);
    edit_->setObjectName(QStringLiteral("scriptText"));
    edit_->setFrameShadow(QFrame::Sunken);
    // Lines end only where the script ends them; a long line scrolls sideways.
    edit_->setLineWrapMode(QTextEdit::NoWrap);
    edit_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit_->setAcceptRichText(true);
    layout->addWidget(edit_);
    connect(edit_->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { ScrolledByUser(); });
    // Lines move when the text changes or is laid out again (a font, a size).
    connect(edit_->document(), &QTextDocument::contentsChanged, this,
            [this] { lineTopsValid_ = false; });
    connect(edit_->document()->documentLayout(), &QAbstractTextDocumentLayout::update, this,
            [this] { lineTopsValid_ = false; });

    const Profile& profile = doc_.profile();
    const int left = settings::Get(profile, settings::kScriptWindowLeft);
    const int top = settings::Get(profile, settings::kScriptWindowTop);
    const int right = settings::Get(profile, settings::kScriptWindowRight);
    const int bottom = settings::Get(profile, settings::kScriptWindowBottom);
    setGeometry(left, top, std::max(right - left, 1), std::max(bottom - top, 1));
    placing_ = false;
    edit_->setFocus();
    doc_.AddListener(this);
    doc_.SetScriptHolder(this);
}

ScriptWindow::~ScriptWindow() {
    if (doc_.scriptHolder() == this) doc_.SetScriptHolder(nullptr);
    doc_.RemoveListener(this);
}

void ScriptWindow::SetTitleFrom(const QString& path) {
    QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0) name.truncate(dot);
    setWindowTitle(name);
}

bool ScriptWindow::LoadFile(const QString& given) {
    QString path = given;
    if (path.isEmpty()) {
        FileDialogRequest request;
        request.filter = filters::kScript;
        request.startFolder = doc_.projectFolder();
        const std::optional<QString> chosen = doc_.host().OpenFileName(request);
        if (!chosen) return false;
        path = *chosen;
    }
    const std::optional<RichText> text = ReadScriptFile(path);
    if (!text) return false;
    following_ = true;
    SetRichText(*edit_->document(), *text);
    edit_->moveCursor(QTextCursor::Start);
    following_ = false;
    lastFirstLine_ = FirstVisibleLine();
    SetTitleFrom(path);
    fileName_ = path;
    edit_->document()->setModified(false);
    return true;
}

bool ScriptWindow::SaveFile(const QString& given) {
    QString path = given;
    if (path.isEmpty()) {
        FileDialogRequest request;
        request.filter = filters::kScript;
        request.defaultExtension = QStringLiteral("rtf");
        request.startFolder = doc_.projectFolder();
        request.overwritePrompt = true;
        const std::optional<QString> chosen = doc_.host().SaveFileName(request);
        if (!chosen) return false;
        path = *chosen;
    }
    if (!WriteScriptFile(path, GetRichText(*edit_->document()))) return false;
    if (!path.contains(kExportName)) {
        SetTitleFrom(path);
        fileName_ = path;
        edit_->document()->setModified(false);
    }
    return true;
}

bool ScriptWindow::Load(const QString& path) {
    if (!LoadFile(path)) return false;
    if (!isVisible()) show();
    return true;
}

bool ScriptWindow::modified() const {
    return edit_->document()->isModified();
}

const std::vector<int>& ScriptWindow::LineTops() const {
    if (lineTopsValid_) return lineTops_;
    std::vector<int>& tops = lineTops_;
    tops.clear();
    QTextDocument* document = edit_->document();
    QAbstractTextDocumentLayout* layout = document->documentLayout();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        const QRectF box = layout->blockBoundingRect(block);
        const QTextLayout* lines = block.layout();
        if (!lines || lines->lineCount() == 0) {
            tops.push_back(int(box.top()));
            continue;
        }
        for (int i = 0; i < lines->lineCount(); ++i)
            tops.push_back(int(box.top() + lines->lineAt(i).y()));
    }
    lineTopsValid_ = true;
    return tops;
}

int ScriptWindow::LineCount() const {
    return int(LineTops().size());
}

int ScriptWindow::FirstVisibleLine() const {
    const std::vector<int>& tops = LineTops();
    if (tops.empty()) return 0;
    const int y = edit_->verticalScrollBar()->value();
    // The last line whose top is at or above the view's top.
    const auto after = std::upper_bound(tops.begin(), tops.end(), y);
    return std::max(0, int(after - tops.begin()) - 1);
}

void ScriptWindow::ScrollToLine(int line) {
    const std::vector<int>& tops = LineTops();
    if (tops.empty()) return;
    const int y = tops[size_t(std::clamp(line, 0, int(tops.size()) - 1))];
    following_ = true;
    edit_->verticalScrollBar()->setValue(y);
    following_ = false;
    lastFirstLine_ = FirstVisibleLine();
}

void ScriptWindow::FollowFrame(int frame) {
    const ShowNode* scene = doc_.SceneAt(frame);
    if (!scene) return;
    ScrollToLine(ScriptLineForFrame(frame, scene->startFrame, LineCount(), scene->length()));
}

void ScriptWindow::ScrolledByUser() {
    if (following_) return;
    const int first = FirstVisibleLine();
    if (first == lastFirstLine_) return;
    lastFirstLine_ = first;
    const ShowNode* scene = doc_.currentScene();
    if (!scene) return;
    const int frame = ScriptFrameForLine(first, LineCount(), scene->startFrame, scene->length());
    if (frame < 0) return;
    // The frame set here must not scroll the script back to where its truncated line is.
    following_ = true;
    doc_.UpdateViewsAtFrame(frame, Refresh::kViews);
    following_ = false;
}

void ScriptWindow::DocumentChanged(const DocumentChange& change) {
    if (change.Has(DocumentChange::kFrame) && isVisible() && !following_)
        FollowFrame(doc_.currentFrame());
}

void ScriptWindow::StoreRect() {
    if (placing_) return;
    Profile& profile = doc_.profile();
    // The rectangle of the window's inside: what is stored is what the next start places.
    const QRect r = geometry();
    settings::Write(profile, settings::kScriptWindowLeft, r.x());
    settings::Write(profile, settings::kScriptWindowTop, r.y());
    settings::Write(profile, settings::kScriptWindowRight, r.x() + r.width());
    settings::Write(profile, settings::kScriptWindowBottom, r.y() + r.height());
}

void ScriptWindow::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    StoreRect();
}

void ScriptWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    StoreRect();
}

}  // namespace quillon
