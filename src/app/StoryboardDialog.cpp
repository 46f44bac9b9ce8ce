#include "StoryboardDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

#include "model/Document.h"
#include "model/Settings.h"
#include "model/StoryboardEntries.h"
#include "model/Timecode.h"
#include "monitor/MonitorWidget.h"
#include "storyboard/BoardPictures.h"
#include "storyboard/CaptionText.h"
#include "storyboard/StoryboardPainter.h"

namespace quillon {

namespace {

// The largest picture rendered for one image box, a side.
constexpr int kMaxPictureSide = 2048;

QCheckBox* Check(const QString& text, const char* name, bool on, QWidget* parent) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(on);
    return box;
}

QPushButton* Button(const QString& text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

}  // namespace

StoryboardDialog::StoryboardDialog(Document& doc, MonitorWidget& monitor, PictureMediaLoader& media,
                                   GlTextureUploader& textures, QWidget* parent)
    : QDialog(parent), doc_(doc), monitor_(monitor), media_(media), textures_(textures) {
    setWindowTitle(QStringLiteral("Print / Preview"));
    setObjectName(QStringLiteral("storyboardDialog"));
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);

    const StoryboardOptions defaults;
    images_ = Check(QStringLiteral("Show Images"), "showImages", defaults.showImages, this);
    captions_ =
        Check(QStringLiteral("Show Captions?"), "showCaptions", defaults.showCaptions, this);
    blocking_ =
        Check(QStringLiteral("Show Blocking?"), "showBlocking", defaults.showBlocking, this);
    timecode_ = Check(QStringLiteral("Show Timecode"), "showTimecode", defaults.showTimecode, this);
    large_ = Check(QStringLiteral("Large Images"), "largeImages", defaults.framesPerRow == 2, this);

    auto* titleGroup = new QGroupBox(QStringLiteral("Title"), this);
    title_ = new QLineEdit(titleGroup);
    title_->setObjectName(QStringLiteral("title"));
    (new QVBoxLayout(titleGroup))->addWidget(title_);

    auto* framesGroup = new QGroupBox(QStringLiteral(" Frames "), this);
    frames_ = new QListWidget(framesGroup);
    frames_->setObjectName(QStringLiteral("frames"));
    frames_->setSortingEnabled(true);
    frames_->setSelectionMode(QAbstractItemView::SingleSelection);
    (new QVBoxLayout(framesGroup))->addWidget(frames_);

    caption_ = new QLineEdit(this);
    caption_->setObjectName(QStringLiteral("caption"));
    auto* captionLabel = new QLabel(QStringLiteral("Caption"), this);
    captionLabel->setBuddy(caption_);

    QPushButton* add = Button(QStringLiteral("Add Frame"), "addFrame", this);
    QPushButton* remove = Button(QStringLiteral("Remove Frame"), "removeFrame", this);
    QPushButton* preview = Button(QStringLiteral("Preview"), "preview", this);
    QPushButton* print = Button(QStringLiteral("Print"), "print", this);
    QPushButton* cancel = Button(QStringLiteral("Cancel"), "cancel", this);
    print->setDefault(true);

    auto* checks = new QVBoxLayout;
    for (QCheckBox* box : {images_, captions_, blocking_, timecode_, large_})
        checks->addWidget(box);
    checks->addWidget(titleGroup);
    checks->addStretch();
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {print, preview, cancel})
        buttons->addWidget(b);
    buttons->addStretch();
    auto* entryButtons = new QHBoxLayout;
    entryButtons->addWidget(add);
    entryButtons->addWidget(remove);
    auto* entries = new QVBoxLayout;
    entries->addWidget(framesGroup, 1);
    entries->addWidget(captionLabel);
    entries->addWidget(caption_);
    entries->addLayout(entryButtons);
    auto* top = new QHBoxLayout(this);
    top->addLayout(checks);
    top->addLayout(entries, 1);
    top->addLayout(buttons);

    connect(frames_, &QListWidget::itemSelectionChanged, this, [this] { LineSelected(); });
    connect(caption_, &QLineEdit::textEdited, this, [this](const QString& t) { CaptionEdited(t); });
    connect(add, &QPushButton::clicked, this, [this] { AddFrame(); });
    connect(remove, &QPushButton::clicked, this, [this] { RemoveFrame(); });
    connect(preview, &QPushButton::clicked, this, [this] { Preview(); });
    connect(print, &QPushButton::clicked, this, [this] { Print(); });
    connect(cancel, &QPushButton::clicked, this, [this] { close(); });

    Reload();
    doc_.AddListener(this);
}

StoryboardDialog::~StoryboardDialog() {
    doc_.RemoveListener(this);
}

void StoryboardDialog::DocumentChanged(const DocumentChange& change) {
    if (change.Has(DocumentChange::kShow)) Reload();
}

StoryboardOptions StoryboardDialog::options() const {
    StoryboardOptions o;
    o.showImages = images_->isChecked();
    o.showCaptions = captions_->isChecked();
    o.showBlocking = blocking_->isChecked();
    o.showTimecode = timecode_->isChecked();
    o.framesPerRow = large_->isChecked() ? 2 : 4;
    o.title = title_->text();
    return o;
}

void StoryboardDialog::Reload() {
    const QSignalBlocker quiet(frames_);
    frames_->clear();
    for (const std::string& entry : doc_.captions())
        frames_->addItem(EntryText(EntryTimecode(entry)));
    caption_->clear();
}

QString StoryboardDialog::SelectedTimecode() const {
    const QList<QListWidgetItem*> selected = frames_->selectedItems();
    return selected.isEmpty() ? QString() : selected.front()->text();
}

void StoryboardDialog::SelectLine(const QString& timecode) {
    const QList<QListWidgetItem*> found = frames_->findItems(timecode, Qt::MatchExactly);
    if (found.isEmpty()) return;
    frames_->setCurrentItem(found.front());
    found.front()->setSelected(true);
    LineSelected();
}

void StoryboardDialog::LineSelected() {
    const QString timecode = SelectedTimecode();
    if (timecode.isEmpty()) return;
    const std::string tc = timecode.toStdString();
    const std::optional<size_t> at = FindEntry(doc_.captions(), tc);
    caption_->setText(at ? EntryText(EntryCaption(doc_.captions()[*at])) : QString());
    const int64_t frame = ParseTimecode(tc, doc_.frameRate());
    if (frame >= 0 && frame <= INT32_MAX && doc_.SceneAt(int(frame)))
        doc_.UpdateViewsAtFrame(int(frame), Refresh::kViews);
}

void StoryboardDialog::CaptionEdited(const QString& text) {
    const QString timecode = SelectedTimecode();
    if (timecode.isEmpty()) return;
    if (SetEntryCaption(doc_.captions(), timecode.toStdString(), text.toStdString()))
        doc_.SetModified(true);
}

void StoryboardDialog::AddFrame() {
    const AddedEntry added = AddEntry(doc_.captions(), doc_.currentFrame(), doc_.frameRate());
    const QString timecode = EntryText(EntryTimecode(doc_.captions()[added.index]));
    if (frames_->findItems(timecode, Qt::MatchExactly).isEmpty()) {
        const QSignalBlocker quiet(frames_);
        frames_->addItem(timecode);
    }
    SelectLine(timecode);
    if (!added.added) return;
    caption_->setFocus();
    doc_.SetModified(true);
}

void StoryboardDialog::RemoveFrame() {
    QListWidgetItem* item = frames_->currentItem();
    if (!item || !item->isSelected()) return;
    const int row = frames_->row(item);
    RemoveEntry(doc_.captions(), item->text().toStdString());
    {
        const QSignalBlocker quiet(frames_);
        delete frames_->takeItem(row);
    }
    caption_->clear();
    if (frames_->count() > 0) {
        QListWidgetItem* before = frames_->item(std::max(0, row - 1));
        SelectLine(before->text());
    }
    doc_.SetModified(true);
}

void StoryboardDialog::PrintTo(QPrinter& printer) {
    const StoryboardOptions o = options();
    const PageLayout layout = LayoutForDevice(printer, doc_, o);
    std::unique_ptr<MonitorMovieSource> source;
    std::unique_ptr<RenderedBoardPictures> pictures;
    if (o.showImages) {
        const QSize size =
            PictureSizeFor(QSize(layout.imageWidth, layout.imageHeight), kMaxPictureSide);
        source = std::make_unique<MonitorMovieSource>(monitor_, doc_, media_, textures_,
                                                      size.width(), size.height());
        if (source->valid())
            pictures = std::make_unique<RenderedBoardPictures>(doc_, *source, size);
    }
    PrintStoryboard(printer, doc_, layout, pictures.get());
}

void StoryboardDialog::Preview() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(options().title);
    QPrintPreviewDialog preview(&printer, this);
    preview.setObjectName(QStringLiteral("storyboardPreview"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* p) { PrintTo(*p); });
    preview.exec();
}

void StoryboardDialog::Print() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(options().title);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted) PrintTo(printer);
    close();
}

}  // namespace quillon
