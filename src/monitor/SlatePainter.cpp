#include "SlatePainter.h"

#include <QPainter>
#include <QPainterPath>

#include "viewkit/ViewFonts.h"

namespace quillon {

namespace {

const QColor kSlateGrey(192, 192, 192);

// The hinged stick along the top, in black and white diagonal bands.
void PaintClapper(QPainter& p, const QRect& stick, const QColor& band) {
    p.save();
    p.setClipRect(stick);
    p.fillRect(stick, Qt::white);
    p.setPen(Qt::NoPen);
    p.setBrush(band);
    const int step = 36;
    for (int x = stick.left() - stick.height(); x < stick.right() + step; x += step) {
        QPainterPath stripe;
        stripe.moveTo(x, stick.bottom() + 1);
        stripe.lineTo(x + step / 2, stick.bottom() + 1);
        stripe.lineTo(x + step / 2 + stick.height(), stick.top());
        stripe.lineTo(x + stick.height(), stick.top());
        stripe.closeSubpath();
        p.drawPath(stripe);
    }
    p.restore();
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(stick);
}

// The board: black, white rules and the field names a slate carries.
void PaintBoard(QPainter& p, const QRect& board, const QStringList& fields) {
    p.fillRect(board, QColor(24, 24, 24));
    p.setPen(QPen(Qt::white, 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(board.adjusted(4, 4, -5, -5));
    const int rowHeight = (board.height() - 8) / 3;
    for (int r = 1; r < 3; ++r)
        p.drawLine(board.left() + 4, board.top() + 4 + r * rowHeight, board.right() - 4,
                   board.top() + 4 + r * rowHeight);
    const int middle = board.left() + board.width() / 2;
    p.drawLine(middle, board.top() + 4 + rowHeight, middle, board.bottom() - 4);
    QFont font = MakeViewFont(QStringLiteral("MS Sans Serif"), 14, kFontBold);
    p.setFont(font);
    const QRect cells[] = {
        {board.left() + 10, board.top() + 6, board.width() - 20, rowHeight - 4},
        {board.left() + 10, board.top() + 6 + rowHeight, middle - board.left() - 14, rowHeight - 4},
        {middle + 6, board.top() + 6 + rowHeight, board.right() - middle - 14, rowHeight - 4},
        {board.left() + 10, board.top() + 6 + 2 * rowHeight, middle - board.left() - 14,
         rowHeight - 4},
        {middle + 6, board.top() + 6 + 2 * rowHeight, board.right() - middle - 14, rowHeight - 4},
    };
    for (int i = 0; i < fields.size() && i < 5; ++i)
        p.drawText(cells[i], Qt::AlignLeft | Qt::AlignTop, fields[i]);
}

}  // namespace

QImage SlatePicture(bool rostrum) {
    QImage image(kSlateWidth, kSlateHeight, QImage::Format_RGB32);
    image.fill(kSlateGrey);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    if (!rostrum) {
        const QRect stick(8, 6, kSlateWidth - 16, 34);
        PaintClapper(p, stick, Qt::black);
        PaintBoard(p, QRect(8, 44, kSlateWidth - 16, kSlateHeight - 50),
                   {QStringLiteral("PRODUCTION"), QStringLiteral("SCENE"), QStringLiteral("TAKE"),
                    QStringLiteral("ROLL"), QStringLiteral("DATE")});
        return image;
    }
    // A rostrum camera looking down on the artwork board.
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(QColor(64, 64, 64));
    p.drawRect(QRect(20, 10, 14, kSlateHeight - 20));  // the column
    p.drawRect(QRect(34, 30, 56, 30));                 // the carriage
    p.drawRect(QRect(62, 60, 20, 22));                 // the lens
    p.setPen(QPen(Qt::black, 1, Qt::DashLine));
    p.drawLine(72, 82, 72, 118);
    PaintBoard(p, QRect(110, 60, kSlateWidth - 118, kSlateHeight - 66),
               {QStringLiteral("ROSTRUM"), QStringLiteral("SCENE"), QStringLiteral("TAKE"),
                QStringLiteral("FIELD"), QStringLiteral("DATE")});
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(QColor(160, 120, 60));
    p.drawRect(QRect(40, 118, 64, 8));  // the table under the lens
    return image;
}

void PaintSlate(QPainter& painter, const QRect& area, const QString& name, bool rostrum) {
    painter.save();
    painter.fillRect(area, kSlateGrey);
    const QPoint centre = area.center();
    static const QImage clapper = SlatePicture(false);
    static const QImage board = SlatePicture(true);
    painter.drawImage(QPoint(centre.x() - 189, centre.y() - 100), rostrum ? board : clapper);
    const QFont font = LargeDialogFont();
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QString text = name.toUpper();
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(text);
    painter.drawText(QPoint(centre.x() - width / 2, centre.y() + 120 + metrics.ascent()), text);
    painter.restore();
}

}  // namespace quillon
