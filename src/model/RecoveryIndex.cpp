#include "RecoveryIndex.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace quillon {

namespace {

QJsonObject FileObject(const RecoveryFile& f) {
    return {{"file", f.name}, {"bytes", f.bytes}, {"sha256", QString::fromLatin1(f.sha256)}};
}

// A file name of the copy: plain, no folders, nothing hidden.
bool ReadFile(const QJsonObject& o, RecoveryFile& f) {
    f.name = o.value("file").toString();
    f.bytes = o.value("bytes").toInteger(-1);
    f.sha256 = o.value("sha256").toString().toLatin1();
    return !f.name.isEmpty() && !f.name.contains(u'/') && !f.name.startsWith(u'.') &&
           f.bytes >= 0 && f.sha256.size() == 64;
}

}  // namespace

QByteArray RecoveryIndex::ToJson() const {
    QJsonArray setArray;
    for (const Set& s : sets) {
        QJsonObject o = FileObject(s.file);
        o.insert("scene", s.scene);
        o.insert("path", s.path);
        setArray.append(o);
    }
    const QJsonObject root{
        {"format", kFormat},
        {"show", showPath},
        {"time", time.toUTC().toString(Qt::ISODateWithMs)},
        {"pid", pid},
        {"host", host},
        {"generation", generation},
        {"showFile", FileObject(show)},
        {"sets", setArray},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<RecoveryIndex> RecoveryIndex::FromJson(const QByteArray& text, QString* why) {
    auto fail = [why](const char* reason) {
        if (why) *why = QString::fromLatin1(reason);
        return std::nullopt;
    };
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return fail("the index is not JSON");
    const QJsonObject o = doc.object();
    if (o.value("format").toInt(-1) != kFormat) return fail("the index is of an unknown format");
    RecoveryIndex index;
    index.showPath = o.value("show").toString();
    index.time = QDateTime::fromString(o.value("time").toString(), Qt::ISODateWithMs);
    if (!index.time.isValid()) return fail("the index has no time");
    index.pid = o.value("pid").toInteger();
    index.host = o.value("host").toString();
    index.generation = o.value("generation").toInteger();
    if (!ReadFile(o.value("showFile").toObject(), index.show))
        return fail("the index names no show file");
    for (const QJsonValue& v : o.value("sets").toArray()) {
        Set s;
        const QJsonObject so = v.toObject();
        s.scene = so.value("scene").toInt(-1);
        s.path = so.value("path").toString();
        if (s.scene < 0 || !ReadFile(so, s.file)) return fail("the index names a set badly");
        index.sets.push_back(std::move(s));
    }
    return index;
}

}  // namespace quillon
