#include "StoryboardPainter.h"

#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>

#include "BlockingDiagram.h"
#include "BoardPictures.h"
#include "CaptionText.h"
#include "model/Document.h"
#include "model/StoryboardEntries.h"

namespace quillon {

PageLayout LayoutForDevice(const QPaintDevice& device, const Document& doc,
                           const StoryboardOptions& options) {
    return PageLayout::Make(options, device.width(), device.height(), device.logicalDpiY(),
                            doc.settings().aspectRatio);
}

StoryboardPainter::StoryboardPainter(Document& doc, const PageLayout& layout,
                                     BoardPictureSource* pictures)
    : doc_(doc), layout_(layout), pictures_(pictures), font_(CaptionFont(layout.captionPixels)) {}

int StoryboardPainter::pageCount() const {
    return layout_.PageCount(static_cast<int>(doc_.captions().size()));
}

void StoryboardPainter::DrawFooter(QPainter& painter, int page) {
    const QDate date = layout_.options.date.isValid() ? layout_.options.date : QDate::currentDate();
    const int top = layout_.FooterTop();
    const int height = QFontMetrics(font_, painter.device()).height();
    const int m = layout_.margin;
    const int w = layout_.pageWidth;
    // Left from the margin, centred on the page's middle, right up to the right margin.
    painter.drawText(QRect(m, top, w / 2 - m, height), Qt::AlignLeft | Qt::AlignTop,
                     FooterDate(date));
    painter.drawText(QRect(0, top, w, height), Qt::AlignHCenter | Qt::AlignTop,
                     layout_.options.title);
    painter.drawText(QRect(w / 2, top, w / 2 - m, height), Qt::AlignRight | Qt::AlignTop,
                     FooterPageText(page, pageCount()));
}

QStringList StoryboardPainter::CaptionLines(const QString& text, QPaintDevice* device) const {
    const QFontMetrics metrics(font_, device);
    const int w = metrics.horizontalAdvance(QLatin1Char('X'));
    const int maxLines = layout_.options.framesPerRow == 2 ? 4 : 2;
    const int width = layout_.Cell(0).caption.width() - 2 * w;
    return WrapCaption(text, metrics, std::max(1, width), maxLines);
}

void StoryboardPainter::DrawCaption(QPainter& painter, QRect box, const QString& text) {
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    const QFontMetrics metrics(font_, painter.device());
    const int w = metrics.horizontalAdvance(QLatin1Char('X'));
    const int h = metrics.height();
    const QStringList lines = CaptionLines(text, painter.device());
    for (int i = 0; i < lines.size(); ++i) {
        const QRect line(box.left() + w, box.top() + 3 * w / 5 + i * h, box.width() - 2 * w, h);
        // Right-to-left text starts at the right end of its line, as it reads.
        const bool rtl = lines[i].isRightToLeft();
        painter.drawText(line, (rtl ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop, lines[i]);
    }
}

void StoryboardPainter::DrawPage(QPainter& painter, int page) {
    painter.save();
    painter.setFont(font_);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
    DrawFooter(painter, page);

    const StoryboardOptions& o = layout_.options;
    const std::vector<std::string>& entries = doc_.captions();
    const int rate = doc_.frameRate();
    for (int i = 0; i < layout_.cellsPerPage; ++i) {
        const int64_t index = int64_t(page - 1) * layout_.cellsPerPage + i;
        if (index < 0 || index >= int64_t(entries.size())) break;
        // Copied: the entry list may not change while pages are drawn, but a picture source
        // that reads media could tell listeners that edit it.
        const std::string entry = entries[size_t(index)];
        const CellBoxes cell = layout_.Cell(i);
        const int64_t frame64 = EntryFrame(entry, rate);
        const int frame = frame64 > INT32_MAX ? -1 : int(frame64);
        const bool inShow = doc_.SceneAt(frame) != nullptr;

        if (o.showBlocking) painter.drawRect(cell.blocking.adjusted(0, 0, -1, -1));
        if (o.showCaptions) DrawCaption(painter, cell.caption, CellCaption(entry, o.showTimecode));
        if (o.showBlocking) {
            if (inShow) doc_.UpdateViewsAtFrame(frame, Refresh::kNone);
            if (inShow) DrawBlockingDiagram(painter, doc_, cell.blocking);
        }
        if (o.showImages) {
            const QImage picture = inShow && pictures_ ? pictures_->Picture(frame) : QImage();
            if (!picture.isNull()) painter.drawImage(cell.image, picture);
            painter.setPen(QPen(Qt::black, 1));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(cell.image.adjusted(0, 0, -1, -1));
        }
    }
    painter.restore();
}

bool PrintStoryboard(QPagedPaintDevice& device, Document& doc, const PageLayout& layout,
                     BoardPictureSource* pictures, const StoryboardProgress& progress) {
    const int oldFrame = doc.currentFrame();
    StoryboardPainter pages(doc, layout, pictures);
    QPainter painter;
    if (!painter.begin(&device)) return false;
    const int count = pages.pageCount();
    bool finished = true;
    for (int p = 1; p <= count; ++p) {
        if (p > 1 && !device.newPage()) {
            finished = false;
            break;
        }
        pages.DrawPage(painter, p);
        if (progress && !progress(p, count)) {
            finished = false;
            break;
        }
    }
    const bool ended = painter.end();
    if (doc.SceneAt(oldFrame)) doc.UpdateViewsAtFrame(oldFrame, Refresh::kViews);
    return finished && ended;
}

}  // namespace quillon
