#include "units/RecordFolders.h"

#include "units/Units.h"

QString RecordMemoFolder(RecordKind kind, int number) {
    const QString collection =
        kind == RecordKind::Ride ? QStringLiteral("Rides") : QStringLiteral("Maintenance");
    return ProgramPath(collection + u'/' + QString::number(number));
}
