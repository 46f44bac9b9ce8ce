#include "Application.h"

#include <QApplication>
#include <QFileInfo>

#include "script/ScriptWindow.h"
#include "stage/StageView.h"

namespace quillon {

Application::Application(Profile& profile, bool pictureMode)
    : profile_(profile),
      pictureMode_(pictureMode),
      recent_(profile),
      host_(recent_),
      doc_(profile, host_),
      files_(doc_) {}

Application::~Application() {
    window_.reset();
    doc_.SetMediaLoader(nullptr);
    // The texture objects go with a context of their share group current.
    glContext_.EnsureCurrent();
    media_.reset();
    uploader_.reset();
    textures_.reset();
}

bool Application::PictureModeFor(const QString& executable) {
    return !QFileInfo(executable).fileName().toUpper().contains(QStringLiteral("QUILLON"));
}

bool Application::Start(QString* error) {
    if (!glContext_.Create(error)) return false;
    textures_ = std::make_unique<GlTextureUploader>();
    uploader_ = std::make_unique<ContextUploader>(glContext_, *textures_);
    media_ = std::make_unique<PictureMediaLoader>(*uploader_);
    doc_.SetMediaLoader(media_.get());
    if (pictureMode_) {
        // A picture program: rostrum mode in memory only (the profile keeps its value).
        doc_.settings().rostrumMode = true;
    }
    // A new show; picture mode's replaces its first scene by one of 300 frames, which is
    // what a new show holds.
    doc_.Reset(true);
    window_ = std::make_unique<MainWindow>(doc_, files_, host_, recent_, *media_, *textures_,
                                           pictureMode_);
    // Hidden until a script is loaded or "Show Script"; the main window owns it.
    new ScriptWindow(doc_, window_.get());

    autosave_ = new AutosaveTimer(doc_, files_, host_, *window_, RecoveryStore::DefaultFolder());
    return true;
}

void Application::Show(const QStringList& files) {
    window_->stageView()->SetStartupPictureEnabled(startupPicture_);
    window_->show();
    // The panes have their sizes once the window is laid out.
    QApplication::processEvents();
    window_->RestoreLayout();
    if (!files.isEmpty()) window_->OpenFile(files.first());
    autosave_->OfferAtStartup();
}

}  // namespace quillon
