#pragma once
// Application: the program's start-up and the objects that live for its run, in the order they
// are made: the profile (the caller's), the recent files, the document host, the document with
// a new show and its files, the OpenGL loading context and the texture objects, the picture
// loader, and the main window. A name without "QUILLON" starts it in picture mode. main() and
// the window tests both start through it.

#include <QString>
#include <QStringList>
#include <memory>

#include "AutosaveTimer.h"
#include "GuiHost.h"
#include "MainWindow.h"
#include "RecentFiles.h"
#include "model/Document.h"
#include "model/ShowFiles.h"
#include "monitor/GlTextureUploader.h"
#include "monitor/LoaderContext.h"
#include "pictures/PictureMediaLoader.h"

namespace quillon {

class Profile;

class Application {
  public:
    Application(Profile& profile, bool pictureMode);
    ~Application();

    // Everything after the QApplication: false, with *error, when no OpenGL context can be
    // made (the program cannot start).
    bool Start(QString* error);
    // Shows the window with its stored layout, opens the command line's first file, then asks
    // about recovery copies a crash left.
    void Show(const QStringList& files);
    // Whether the stage shows its start-up picture for 3 seconds (on unless switched off
    // before Show).
    void SetStartupPicture(bool on) { startupPicture_ = on; }

    // Picture mode when the executable's name, upper-cased, lacks "QUILLON".
    static bool PictureModeFor(const QString& executable);

    Document& doc() { return doc_; }
    ShowFiles& files() { return files_; }
    GuiHost& host() { return host_; }
    MainWindow& window() { return *window_; }
    // Autosave and crash recovery; it lives as long as the window.
    AutosaveTimer& autosave() { return *autosave_; }
    PictureMediaLoader& media() { return *media_; }

  private:
    Profile& profile_;
    bool pictureMode_;
    bool startupPicture_ = true;
    RecentFiles recent_;
    GuiHost host_;
    Document doc_;
    ShowFiles files_;
    LoaderContext glContext_;
    std::unique_ptr<GlTextureUploader> textures_;
    std::unique_ptr<ContextUploader> uploader_;
    std::unique_ptr<PictureMediaLoader> media_;
    std::unique_ptr<MainWindow> window_;
    AutosaveTimer* autosave_ = nullptr;  // owned by the window
};

}  // namespace quillon
