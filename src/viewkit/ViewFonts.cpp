#include "ViewFonts.h"

#include <QFontMetrics>
#include <QStringList>

namespace quillon {

QFont MakeViewFont(const QString& face, int cellHeight, int flags) {
    QFont font;
    font.setFamilies({face, QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
    font.setWeight((flags & kFontBold) ? QFont::Bold : QFont::Normal);
    font.setItalic((flags & kFontItalic) != 0);
    font.setUnderline((flags & kFontUnderline) != 0);
    font.setStyleStrategy(QFont::NoAntialias);
    // Pixel sizes give the em height; the cell is taller by the face's leading, so come down
    // from the cell height until the whole line fits.
    int size = std::max(kLegibleFontPixels, cellHeight);
    font.setPixelSize(size);
    while (size > kLegibleFontPixels && QFontMetrics(font).height() > cellHeight) {
        font.setPixelSize(--size);
    }
    return font;
}

QSize TextBox(const QFont& font, const QString& text, QSize minimum, int padding) {
    const QFontMetrics metrics(font);
    return minimum.expandedTo(
        QSize(metrics.horizontalAdvance(text) + 2 * padding, metrics.height() + 2 * padding));
}

QFont SmallDialogFont() {
    return MakeViewFont(QStringLiteral("MS Sans Serif"), 8);
}

QFont LargeDialogFont() {
    return MakeViewFont(QStringLiteral("MS Sans Serif"), 24);
}

QFont TinyFont(int cellHeight) {
    return MakeViewFont(QStringLiteral("Small Fonts"), cellHeight);
}

}  // namespace quillon
