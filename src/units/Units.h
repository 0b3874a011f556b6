#pragma once
// Process-wide settings and the small helpers every page shares: the program
// directory, the distance unit and its conversions, the words for units,
// weekdays and bicycle types, file tests and the display formats.

#include <QString>
#include <cstdint>

// Kilometres per mile, used exactly as written in both directions.
inline constexpr double kKilometresPerMile = 1.609;

// The program directory: the current directory at start-up, recorded once.
void SetProgramDirectory(const QString& directory);
QString GetProgramDirectory();
// A path below the program directory, e.g. ProgramPath("languages/vmq_00.ini").
QString ProgramPath(const QString& relative);

// 0 kilometres, 1 miles; any other value behaves as kilometres.
void SetDistanceUnit(int unit);
int GetDistanceUnit();
// The options page's choice number: 0 Monday, 1 Sunday. The statistics page starts its weeks on it.
void SetWeekStart(int day);
int GetWeekStart();

// The currency symbol the rider chose on the options page; empty until one
// is chosen, and then costs read "$12.50" in every language, as always.
void SetCurrencySymbol(const QString& symbol);
QString GetCurrencySymbol();
// An amount of money with two decimals and the symbol: "$12.50" while none
// is chosen, else the chosen symbol where the language puts it (Strings/CURA:
// "1" after the amount, "12.50 €"; otherwise before, "€12.50").
QString FormatMoney(double amount);

QString GetDistanceUnitWord();        // Strings/MILE or Strings/KMSS
QString GetSpeedUnitWord();           // Strings/MPHS or Strings/KPHS
double ToKilometres(double value);    // user's unit -> km
double FromKilometres(double value);  // km -> user's unit

QString GetWeekdayName(int day);  // 0 = Sunday ... 6 = Saturday
QString GetBicycleTypeName(int type);

int IsDirectory(const QString& path);
int FileExists(const QString& path);
// The part after the last backslash (or slash), or the whole path.
QString GetFileNamePart(const QString& path);

// Display formats.
QString FormatNumber(double value);                                   // "%.2f"
QString FormatNumberWithUnit(double value, const QString& unitWord);  // "%.2f %s"
QString FormatRidingTime(int hours, int minutes, int seconds);        // "%d:%02d:%02d"
QString FormatDate(int64_t secondsSince1970);                         // "%04d/%02d/%02d", local calendar

// The local calendar (time zone and daylight saving of the computer, re-read
// on every call so a changed TZ takes effect at once).
struct LocalDateTime {
    int year = 1970;
    int month = 1;  // 1 to 12
    int day = 1;    // 1 to 31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 4;  // 0 = Sunday ... 6 = Saturday
};
LocalDateTime ToLocalDateTime(int64_t secondsSince1970);
// The moment a local date and time names; the system decides daylight saving
// (for an hour skipped or repeated by a clock change it picks one reading).
int64_t FromLocalDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
