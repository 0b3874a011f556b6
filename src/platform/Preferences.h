#pragma once
// The rider's preferences the settings record has no room for, kept in the
// log's Preference table (store.h) by name.

#include <QString>
#include <optional>

namespace preference {
inline constexpr char kCurrencySymbol[] = "CurrencySymbol";
inline constexpr char kMainWindowGeometry[] = "MainWindowGeometry";
// The range of days each list page shows (widgets/RangePresets.h).
inline constexpr char kRideRange[] = "RideRange";
inline constexpr char kMaintenanceRange[] = "MaintenanceRange";
// The further columns each list page shows, by name, comma-separated.
inline constexpr char kRideColumns[] = "RideColumns";
inline constexpr char kMaintenanceColumns[] = "MaintenanceColumns";
}  // namespace preference

// The stored text; nothing when it was never set or cannot be read.
std::optional<QString> ReadPreference(const char* name);
// False when the store refused it (DB_GetLastFailure says why).
bool WritePreference(const char* name, const QString& value);
