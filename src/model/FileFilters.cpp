#include "FileFilters.h"

namespace quillon::filters {

const QString& Pictures() {
    static const QString filter = QStringLiteral(
        "All Graphics Files |*.bmp;*.tga;*.png;*.gif;*.jpg;*.pcx;*.avi;*.wmf;*.tif|"
        "Windows BMPs (*.bmp)|*.bmp|"
        "JPEG Compressed (*.jpg)|*.jpg|"
        "Portable Network Graphics (*.png)|*.png|"
        "Targa Files (*.tga)|*.tga|"
        "GIF Files (*.gif)|*.gif|"
        "TIF Files (*.tif)|*.tif|"
        "PCX Files (*.pcx)|*.pcx|"
        "Windows Metafile (*.wmf)|*.wmf|"
        "AVI Movie Files (*.avi)|*.avi|"
        "All Files *.*|*.*||");
    return filter;
}

FileDialogRequest ForMissingFile(NodeKind kind, const QString& startFolder,
                                 const QString& bareName) {
    FileDialogRequest req;
    req.startFolder = startFolder;
    req.initialName = bareName;
    switch (kind) {
        case NodeKind::Actor:
            req.defaultExtension = QStringLiteral("bmp");
            req.filter = Pictures();
            break;
        case NodeKind::Movie:
            req.defaultExtension = QStringLiteral("avi");
            req.filter = kAvi;
            break;
        case NodeKind::SoundTrack:
            req.defaultExtension = QStringLiteral("wav");
            req.filter = kWave;
            break;
        case NodeKind::Scene:
            req.defaultExtension = QStringLiteral("set");
            req.filter = kSetLookup;
            break;
        default:
            req.filter = kAll;
            break;
    }
    return req;
}

}  // namespace quillon::filters
