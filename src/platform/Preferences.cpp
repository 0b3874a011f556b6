#include "platform/Preferences.h"

#include "store/store.h"

#include <string>

std::optional<QString> ReadPreference(const char* name) {
    std::string value;
    bool found = false;
    if (DB_GetPreference(name, &value, &found) != store::kOk || !found) {
        return std::nullopt;
    }
    return QString::fromStdString(value);
}

bool WritePreference(const char* name, const QString& value) {
    return DB_SetPreference(name, value.toStdString()) == store::kOk;
}
