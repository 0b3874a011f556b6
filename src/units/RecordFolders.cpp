#include "units/RecordFolders.h"

#include "units/Units.h"

QString RecordMemoFolder(RecordKind kind, int number) {
    const QString collection = QString::fromLatin1(RecordCollectionFolder(kind));
    return ProgramPath(collection + u'/' + QString::number(number));
}
