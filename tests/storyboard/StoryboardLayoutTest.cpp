// The storyboard's page layout numbers, its paging, the footer texts and the caption lines, on
// Qt's offscreen platform (fonts need a GUI application, not a display).
#include <gtest/gtest.h>

#include <QImage>
#include <set>

#include "storyboard/CaptionText.h"
#include "storyboard/PageLayout.h"

using namespace quillon;

namespace {

StoryboardOptions Options(int perRow, bool images, bool captions, bool blocking) {
    StoryboardOptions o;
    o.framesPerRow = perRow;
    o.showImages = images;
    o.showCaptions = captions;
    o.showBlocking = blocking;
    return o;
}

}  // namespace

TEST(StoryboardLayout, TheDialogsDefaultsGiveTwoLargeFramesPerRow) {
    const StoryboardOptions o;
    EXPECT_EQ(o.framesPerRow, 2);
    EXPECT_TRUE(o.showImages && o.showCaptions && o.showTimecode);
    EXPECT_FALSE(o.showBlocking);
    EXPECT_TRUE(o.title.isEmpty());
}

TEST(StoryboardLayout, NumbersFollowThePageAndOptions) {
    struct Case {
        int width, height, dpi, perRow;
        bool images, captions, blocking;
        int margin, gap, imageWidth, imageHeight, rowHeight, framesPerPage, cellsPerRow,
            captionPixels;
    } cases[] = {
        // A page 2400 pixels wide with 4 frames per row.
        {2400, 3000, 300, 4, true, true, false, 80, 40, 530, 397, 589, 20, 4, 33},
        // Letter at 300 dpi with the defaults: 9-point captions, 2 frames per row.
        {2550, 3300, 300, 2, true, true, false, 85, 85, 1147, 860, 1230, 4, 2, 37},
        // Blocking halves the frames per page; with images a row holds half the cells.
        {2550, 3300, 300, 2, true, true, true, 85, 85, 1147, 860, 1230, 2, 1, 37},
        {2550, 3300, 300, 2, false, true, true, 85, 85, 1147, 860, 1230, 2, 2, 37},
        // Captions only: no picture height in the row.
        {2400, 3000, 600, 4, false, true, false, 80, 40, 530, 397, 192, 60, 4, 66},
        // A4 at 72 dpi with 4 per row and nothing but pictures.
        {595, 842, 72, 4, true, false, false, 19, 9, 132, 99, 108, 28, 4, 8},
    };
    for (const Case& c : cases) {
        const PageLayout l = PageLayout::Make(Options(c.perRow, c.images, c.captions, c.blocking),
                                              c.width, c.height, c.dpi, 0.75);
        const std::string what = std::to_string(c.width) + " x " + std::to_string(c.height) +
                                 " per row " + std::to_string(c.perRow);
        EXPECT_EQ(l.margin, c.margin) << what;
        EXPECT_EQ(l.gap, c.gap) << what;
        EXPECT_EQ(l.imageWidth, c.imageWidth) << what;
        EXPECT_EQ(l.imageHeight, c.imageHeight) << what;
        EXPECT_EQ(l.rowHeight, c.rowHeight) << what;
        EXPECT_EQ(l.framesPerPage, c.framesPerPage) << what;
        EXPECT_EQ(l.cellsPerRow, c.cellsPerRow) << what;
        EXPECT_EQ(l.captionPixels, c.captionPixels) << what;
    }
}

TEST(StoryboardLayout, PageCountIsEntriesOverFramesPerPagePlusOne) {
    // 4 per row on a page with room for two rows: 8 frames a page.
    const PageLayout l = PageLayout::Make(Options(4, true, true, false), 2400, 1500, 300, 0.75);
    ASSERT_EQ(l.framesPerPage, 8);
    ASSERT_EQ(l.cellsPerPage, 8);
    const std::pair<int, int> counts[] = {{0, 1}, {1, 1}, {7, 1}, {8, 2}, {10, 2}, {16, 3}};
    for (const auto& [entries, pages] : counts)
        EXPECT_EQ(l.PageCount(entries), pages) << entries;
}

TEST(StoryboardLayout, EveryEntryIsDrawnExactlyOnceWhateverTheOptions) {
    // Including the layouts where the frames per page and the page loop disagree.
    const struct {
        int width, height, perRow;
        bool images, captions, blocking;
    } cases[] = {
        {2550, 3300, 2, false, true, true},  {2400, 3000, 4, true, true, false},
        {2400, 3000, 4, true, true, true},   {2550, 3300, 2, true, false, true},
        {2550, 3300, 4, false, false, true}, {612, 792, 2, true, true, true},
        {100, 40, 4, true, true, true},
    };
    for (const auto& c : cases) {
        const PageLayout l = PageLayout::Make(Options(c.perRow, c.images, c.captions, c.blocking),
                                              c.width, c.height, 72, 0.75);
        for (int entries : {0, 1, 9, 37, 100}) {
            std::multiset<int> drawn;
            for (int p = 1; p <= l.PageCount(entries); ++p)
                for (int i = 0; i < l.cellsPerPage && l.EntryIndex(p, i) < entries; ++i)
                    drawn.insert(l.EntryIndex(p, i));
            ASSERT_EQ(int(drawn.size()), entries) << c.width << " " << entries;
            for (int e = 0; e < entries; ++e)
                EXPECT_EQ(drawn.count(e), 1u) << e;
        }
        // Every cell's boxes stay on the page, above the footer.
        const CellBoxes last = l.Cell(l.cellsPerPage - 1);
        if (l.cellsPerPage > l.cellsPerRow) {
            const int bottom = c.captions ? last.caption.bottom() : last.image.bottom();
            EXPECT_LE(bottom, l.pageHeight - l.margin) << c.width;
            EXPECT_LE((c.images ? last.image : last.blocking).right(), l.pageWidth) << c.width;
        }
    }
}

TEST(StoryboardLayout, CellBoxesSitInRowsFromTwoMarginsDown) {
    const PageLayout plain = PageLayout::Make(Options(4, true, true, false), 2400, 3000, 300, 0.75);
    EXPECT_EQ(plain.Cell(0).image, QRect(80, 160, 530, 397));
    EXPECT_EQ(plain.Cell(1).image, QRect(650, 160, 530, 397));
    EXPECT_EQ(plain.Cell(0).caption, QRect(80, 577, 530, 132));
    EXPECT_EQ(plain.Cell(4).image, QRect(80, 749, 530, 397));
    // With blocking the picture stands right of its diagram and the caption spans both.
    const PageLayout both = PageLayout::Make(Options(4, true, true, true), 2400, 3000, 300, 0.75);
    EXPECT_EQ(both.Cell(1).blocking, QRect(1220, 160, 530, 397));
    EXPECT_EQ(both.Cell(1).image, QRect(1790, 160, 530, 397));
    EXPECT_EQ(both.Cell(1).caption, QRect(1220, 577, 1100, 132));
    EXPECT_EQ(both.FooterTop(), 2930);
}

TEST(StoryboardFooter, DateAndPageTexts) {
    EXPECT_EQ(FooterDate(QDate(2025, 3, 7)), "3/7/25");
    EXPECT_EQ(FooterDate(QDate(2009, 12, 31)), "12/31/9");
    EXPECT_EQ(FooterDate(QDate(2000, 1, 1)), "1/1/0");
    EXPECT_EQ(FooterPageText(2, 5), "Page 2 of 5");
    EXPECT_EQ(FooterPageText(1, 1), "Page 1 of 1");
}

TEST(StoryboardCaption, CellTextIsTimecodeBlankCaption) {
    EXPECT_EQ(CellCaption("00:00:01:00Hello", true), "00:00:01:00 Hello");
    EXPECT_EQ(CellCaption("00:00:01:00Hello", false), "Hello");
    EXPECT_EQ(CellCaption("00:00:01:00a\nb\tc", false), "a b c");
    EXPECT_EQ(CellCaption("00:00", true), "00:00 ");
    // Not UTF-8: read as Latin-1 rather than lost.
    EXPECT_EQ(CellCaption("00:00:01:00caf\xE9", false), QString::fromUtf8("caf\xC3\xA9"));
    EXPECT_EQ(CellCaption("00:00:01:00caf\xC3\xA9", false), QString::fromUtf8("caf\xC3\xA9"));
}

TEST(StoryboardCaption, LinesWrapAndTheLastEndsInDotsWhenTheRestDoesNotFit) {
    QImage device(10, 10, QImage::Format_RGB32);
    const QFontMetrics m(CaptionFont(20), &device);
    const int width = 20 * m.horizontalAdvance(QLatin1Char('X'));
    const QString words = QStringLiteral(
        "The camera pushes in on the lamp post while the figure crosses "
        "the street and the crate falls from the shed roof.");
    const struct {
        QString text;
        int maxLines;
        bool dots;
    } cases[] = {
        {QStringLiteral("Short"), 2, false},
        {words, 2, true},
        {words, 12, false},
        {QString(5000, QLatin1Char('w')), 4, true},
        {QString::fromUtf8("\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D \xD7\xA2\xD7\x95\xD7\x9C\xD7\x9D ")
             .repeated(30),
         2, true},
        {QString::fromUtf8("\xF0\x9F\x8E\xAC\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9 ")
             .repeated(60),
         3, true},
    };
    for (const auto& c : cases) {
        const QStringList lines = WrapCaption(c.text, m, width, c.maxLines);
        const std::string what = c.text.left(20).toStdString();
        ASSERT_FALSE(lines.isEmpty()) << what;
        EXPECT_LE(lines.size(), c.maxLines) << what;
        EXPECT_EQ(lines.back().endsWith(QStringLiteral("...")), c.dots) << what;
        if (c.dots) {
            EXPECT_EQ(lines.size(), c.maxLines) << what;
        }
        QString joined;
        for (const QString& line : lines) {
            EXPECT_LE(m.horizontalAdvance(line), width) << what;
            // No character is cut in half.
            EXPECT_TRUE(line.isValidUtf16()) << what;
            joined += line;
        }
        if (c.dots) joined.chop(3);
        // Nothing but the blanks at the breaks is dropped, and the order is kept.
        QString compact = c.text;
        compact.remove(QLatin1Char(' '));
        joined.remove(QLatin1Char(' '));
        EXPECT_TRUE(compact.startsWith(joined)) << what;
        if (!c.dots) {
            EXPECT_EQ(joined, compact) << what;
        }
    }
}

TEST(StoryboardCaption, LinesBreakAtBlanksWhenAWordFits) {
    QImage device(10, 10, QImage::Format_RGB32);
    const QFontMetrics m(CaptionFont(20), &device);
    const QString text = QStringLiteral("alpha beta gamma delta");
    const int width = m.horizontalAdvance(QStringLiteral("alpha beta gam"));
    EXPECT_EQ(WrapCaption(text, m, width, 4),
              (QStringList{QStringLiteral("alpha beta"), QStringLiteral("gamma delta")}));
    // A word longer than the line is cut where it fits.
    const QStringList cut = WrapCaption(QStringLiteral("abcdefghijklmnopqrstuvwxyz"), m,
                                        m.horizontalAdvance(QStringLiteral("abcdefghij")), 2);
    ASSERT_EQ(cut.size(), 2);
    EXPECT_EQ(cut[0], QStringLiteral("abcdefghij"));
    EXPECT_TRUE(cut[1].endsWith(QStringLiteral("...")));
}
