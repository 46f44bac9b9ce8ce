#include "RecoverySnapshot.h"

#include "Document.h"
#include "Paths.h"
#include "SetFile.h"
#include "ShowFile.h"

namespace quillon {

RecoverySnapshot RecoverySnapshot::Take(const Document& doc) {
    RecoverySnapshot s;
    s.showPath = doc.path();
    s.time = QDateTime::currentDateTimeUtc();
    s.show = SerializeShow(doc.root(), doc.captions());
    const ShowNode& root = doc.root();
    for (int i = 0; i < root.childCount(); ++i) {
        const ShowNode& scene = *root.children[size_t(i)];
        if (!scene.set) continue;
        s.sets.push_back({i, FromRecordText(scene.GetFileName()), SerializeSet(scene.set->panels)});
    }
    return s;
}

bool HasUnsavedChanges(const Document& doc) {
    if (doc.modified()) return true;
    for (const ShowNode* scene : doc.root().children)
        if (scene->set && scene->set->dirty) return true;
    return false;
}

}  // namespace quillon
