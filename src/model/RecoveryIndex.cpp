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
    for (const Set& s : setList)
        setArray.append(QJsonObject{
            {"scene", s.scene}, {"path", s.path}, {"offset", s.offset}, {"bytes", s.bytes}});
    QJsonObject root{
        {"format", kFormat},
        {"show", showPath},
        {"time", time.toUTC().toString(Qt::ISODateWithMs)},
        {"pid", pid},
        {"host", host},
        {"generation", generation},
        {"showFile", FileObject(show)},
        {"sets", setArray},
    };
    if (!sets.name.isEmpty()) root.insert("setsFile", FileObject(sets));
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
    const QJsonArray setArray = o.value("sets").toArray();
    if (!setArray.isEmpty() && !ReadFile(o.value("setsFile").toObject(), index.sets))
        return fail("the index names no sets file");
    for (const QJsonValue& v : setArray) {
        Set s;
        const QJsonObject so = v.toObject();
        s.scene = so.value("scene").toInt(-1);
        s.path = so.value("path").toString();
        s.offset = so.value("offset").toInteger(-1);
        s.bytes = so.value("bytes").toInteger(-1);
        if (s.scene < 0 || s.offset < 0 || s.bytes < 1 || s.offset > index.sets.bytes ||
            s.bytes > index.sets.bytes - s.offset)
            return fail("the index names a set badly");
        index.setList.push_back(std::move(s));
    }
    return index;
}

}  // namespace quillon
