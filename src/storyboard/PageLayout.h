#pragma once
// The storyboard's page layout, in device pixels of the printer, the preview or the PDF: made
// from the print options, the device's page size and resolution and the show's aspect ratio
// when a run starts. Every division is a whole-number division. Plain numbers: no painter.

#include <QDate>
#include <QRect>
#include <QString>

namespace quillon {

// What the Print / Preview dialog holds (its check boxes and title) and the command line's
// boards command takes. The defaults are the dialog's at opening.
struct StoryboardOptions {
    bool showCaptions = true;
    bool showImages = true;
    bool showBlocking = false;
    bool showTimecode = true;
    int framesPerRow = 2;  // 4, or 2 with "Large Images"
    QString title;
    QDate date;  // the footer's date; today when null
};

// One cell's boxes on the page.
struct CellBoxes {
    QRect blocking;
    QRect image;
    QRect caption;
};

struct PageLayout {
    StoryboardOptions options;
    int pageWidth = 0;
    int pageHeight = 0;
    int margin = 0;
    int gap = 0;
    int imageWidth = 0;
    int imageHeight = 0;
    int rowHeight = 0;
    int framesPerPage = 0;  // as the layout computes it (halved when blocking is shown)
    int cellsPerRow = 0;    // frames per row, halved when images and blocking are both shown
    int cellsPerPage = 0;   // the cells the page loop fits; entries are paged by this
    int captionPoints = 0;  // 8, or 9 with 2 frames per row
    int captionPixels = 0;  // the caption font's height: points x pixels per inch / 72

    // The layout for a page of pageWidth x pageHeight device pixels at dpiY pixels per inch
    // (vertical) and a picture aspect ratio of height / width. Frames per row other than 2 or
    // 4 are taken as 4.
    static PageLayout Make(const StoryboardOptions& options, int pageWidth, int pageHeight,
                           int dpiY, double aspectRatio);

    // (entries / cells per page) + 1: a storyboard always has a page, and a full last page is
    // followed by an empty one.
    int PageCount(int entries) const;
    // The entry drawn in cell i of page (from 1).
    int EntryIndex(int page, int cell) const { return (page - 1) * cellsPerPage + cell; }
    // Where the footer's texts stand (their top): page height - margin + 10.
    int FooterTop() const { return pageHeight - margin + 10; }
    // The boxes of cell i (0 .. cellsPerPage - 1) on any page.
    CellBoxes Cell(int i) const;
    // How far the page loop moves down for each new row.
    int RowStep() const;
};

// The footer's texts: the date as "%d/%d/%d" (month, day, year modulo 100) and
// "Page %d of %d".
QString FooterDate(QDate date);
QString FooterPageText(int page, int pages);

}  // namespace quillon
