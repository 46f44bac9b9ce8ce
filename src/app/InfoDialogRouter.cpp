#include "InfoDialogRouter.h"

#include "KeyInfoDialog.h"
#include "NodeInfoDialog.h"
#include "PanelInfoDialog.h"
#include "model/Document.h"
#include "model/Paths.h"
#include "model/Set.h"
#include "model/ShowFiles.h"
#include "model/ShowNode.h"
#include "stage/StageView.h"
#include "timeline/TimelineView.h"

namespace quillon {

InfoDialogRouter::InfoDialogRouter(Document& doc, ShowFiles& files, StageView& stage,
                                   TimelineView& timeline, QWidget* window)
    : QObject(window), doc_(doc), files_(files), stage_(stage), window_(window) {
    // Each request runs its modal dialog before the view goes on.
    connect(&timeline, &TimelineView::itemInformationRequested, this, &InfoDialogRouter::OpenItem,
            Qt::DirectConnection);
    connect(&timeline, &TimelineView::keyInformationRequested, this, &InfoDialogRouter::OpenKey,
            Qt::DirectConnection);
    connect(&timeline, &TimelineView::keyReadoutRequested, this, &InfoDialogRouter::ShowKeyReadout,
            Qt::DirectConnection);
    connect(&stage, &StageView::actorInformationRequested, this, &InfoDialogRouter::OpenItem,
            Qt::DirectConnection);
    connect(&stage, &StageView::panelInformationRequested, this, &InfoDialogRouter::OpenPanel,
            Qt::DirectConnection);
}

void InfoDialogRouter::OpenItem(ShowNode* item) {
    if (!item) return;
    NodeInfoDialog dialog(doc_, *item, window_);
    if (dialog.exec() != QDialog::Accepted) return;
    if (dialog.pictureChanged()) ReloadFile(*item);
    doc_.NotifyChanged(
        {.aspects = DocumentChange::kRange | DocumentChange::kPicture | DocumentChange::kRedraw,
         .nodes = {item}});
    doc_.UpdateViewsAtFrame(doc_.currentFrame(), Refresh::kViews);
}

void InfoDialogRouter::ReloadFile(ShowNode& item) {
    const QString path = FromRecordText(item.GetFileName());
    MediaLoader& loader = doc_.mediaLoader();
    switch (item.kind) {
        case NodeKind::Scene:
            if (!path.isEmpty()) files_.OpenSet(&item, SetLoad::kReplace, path);
            break;
        case NodeKind::Actor:
            if (path.isEmpty())
                item.media.reset();
            else
                loader.AssignActorPicture(doc_, path, item, true);
            break;
        case NodeKind::SoundTrack:
            if (const auto frames =
                    path.isEmpty() ? std::nullopt : loader.LoadSound(doc_, path, item))
                item.SetRange(item.startFrame, item.startFrame + std::max(*frames, 1),
                              RangeValues::kAbsolute, KeyTiming::kKeep, RangeChildren::kLeave);
            break;
        case NodeKind::Movie:
            if (const auto frames = path.isEmpty() ? std::nullopt : loader.MovieFrameCount(path))
                item.SetRange(item.startFrame, item.startFrame + std::max(*frames, 1),
                              RangeValues::kAbsolute, KeyTiming::kKeep, RangeChildren::kLeave);
            break;
        case NodeKind::Script:
            if (!path.isEmpty()) doc_.LoadScript(path);
            break;
        default:
            break;
    }
}

void InfoDialogRouter::OpenKey(ShowNode* owner, int index) {
    if (!owner || index < 0 || index >= owner->KeyCount()) return;
    KeyInfoDialog dialog(doc_, *owner, index, keyClipboard_, window_);
    if (dialog.exec() != QDialog::Accepted) return;
    doc_.UpdateViewsAtFrame(doc_.currentFrame(), Refresh::kViews);
}

void InfoDialogRouter::OpenPanel(Set* set, int index) {
    if (!set || index < 0 || index >= set->panelCount()) return;
    SetPanel& panel = set->panels[size_t(index)];
    PanelInfoDialog dialog(doc_, panel, window_);
    if (dialog.exec() != QDialog::Accepted) return;
    set->dirty = 1;
    if (dialog.pictureChanged()) {
        if (panel.imagePath[0] == '\0')
            panel.textureSlot = -1;
        else
            doc_.mediaLoader().LoadPanelPicture(doc_, panel);
    }
    doc_.NotifyChanged({.aspects = DocumentChange::kPanels});
}

void InfoDialogRouter::ShowKeyReadout(ShowNode* owner, int index) {
    if (!owner || index < 0 || index >= owner->KeyCount()) return;
    stage_.ShowValuesInReadout(owner->keys[size_t(index)]);
}

}  // namespace quillon
