#include "units/Units.h"

#include "language/Language.h"
#include "units/SafeFormat.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <ctime>
#include <iterator>

namespace {

struct Settings {
    QString programDirectory;
    int distanceUnit = 0;
    int weekStart = 1;
    QString currencySymbol;
};

Settings& State() {
    static Settings settings;
    return settings;
}

bool UsesMiles() {
    return State().distanceUnit == 1;
}

// The local calendar: tzset() first so that a TZ set after start-up (tests pin
// it per case) is what localtime_r and mktime use.
std::tm LocalTm(int64_t secondsSince1970, bool* ok) {
    tzset();
    const std::time_t time = static_cast<std::time_t>(secondsSince1970);
    std::tm local{};
    *ok = localtime_r(&time, &local) != nullptr;
    return local;
}

}  // namespace

void SetProgramDirectory(const QString& directory) {
    QString recorded = directory;
    // Kept like the current directory is reported: no trailing separator
    // except for the root itself.
    while (recorded.size() > 1 && recorded.endsWith(u'/')) {
        recorded.chop(1);
    }
    State().programDirectory = recorded;
}

QString GetProgramDirectory() {
    return State().programDirectory;
}

QString ProgramPath(const QString& relative) {
    const QString& directory = State().programDirectory;
    if (directory.endsWith(u'/')) {
        return directory + relative;
    }
    return directory + u'/' + relative;
}

void SetCurrencySymbol(const QString& symbol) {
    State().currencySymbol = symbol.trimmed();
}

QString GetCurrencySymbol() {
    return State().currencySymbol;
}

QString FormatMoney(double amount) {
    const QString& symbol = State().currencySymbol;
    const QString figure = FormatFixed(amount, 2);
    if (symbol.isEmpty()) {
        return u'$' + figure;
    }
    if (GetLanguageString("Strings", "CURA") == u"1") {
        return figure + u' ' + symbol;
    }
    return symbol + figure;
}

void SetDistanceUnit(int unit) {
    State().distanceUnit = unit;
}

int GetDistanceUnit() {
    return State().distanceUnit;
}

void SetWeekStart(int day) {
    State().weekStart = day;
}

int GetWeekStart() {
    return State().weekStart;
}

QString GetDistanceUnitWord() {
    return UsesMiles() ? GetLanguageString("Strings", "MILE") : GetLanguageString("Strings", "KMSS");
}

QString GetSpeedUnitWord() {
    return UsesMiles() ? GetLanguageString("Strings", "MPHS") : GetLanguageString("Strings", "KPHS");
}

double ToKilometres(double value) {
    return UsesMiles() ? value * kKilometresPerMile : value;
}

double FromKilometres(double value) {
    return UsesMiles() ? value / kKilometresPerMile : value;
}

QString GetWeekdayName(int day) {
    static constexpr LanguageKey kWeekdays[] = {
        LanguageKey{"Strings", "SUNDS"}, LanguageKey{"Strings", "MONDS"}, LanguageKey{"Strings", "TUESS"},
        LanguageKey{"Strings", "WEDNS"}, LanguageKey{"Strings", "THURS"}, LanguageKey{"Strings", "FRIDS"},
        LanguageKey{"Strings", "SATUS"},
    };
    if (day < 0 || day >= static_cast<int>(std::size(kWeekdays))) {
        return GetLanguageString("ErrorStrings", "ERRO");
    }
    return GetLanguageString(kWeekdays[day]);
}

QString GetBicycleTypeName(int type) {
    static constexpr LanguageKey kTypes[] = {
        LanguageKey{"BicycleAttrDlg", "MTBK"}, LanguageKey{"BicycleAttrDlg", "RDBK"},
        LanguageKey{"BicycleAttrDlg", "DHBK"}, LanguageKey{"BicycleAttrDlg", "FDBK"},
        LanguageKey{"BicycleAttrDlg", "TDBK"}, LanguageKey{"BicycleAttrDlg", "RBBK"},
        LanguageKey{"BicycleAttrDlg", "CCBK"},
    };
    if (type < 0 || type >= static_cast<int>(std::size(kTypes))) {
        return GetLanguageString("BicycleAttrDlg", "OKBK");
    }
    return GetLanguageString(kTypes[type]);
}

int IsDirectory(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isDir() ? 1 : 0;
}

int FileExists(const QString& path) {
    // "Can be opened for reading", not merely "is there": a folder or a file
    // we may not read does not count.
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        return 0;
    }
    file.close();
    return 1;
}

QString GetFileNamePart(const QString& path) {
    const qsizetype separator = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
    return separator < 0 ? path : path.mid(separator + 1);
}

QString FormatNumber(double value) {
    return FormatFixed(value, 2);
}

QString FormatNumberWithUnit(double value, const QString& unitWord) {
    return FormatFixed(value, 2) + u' ' + unitWord;
}

QString FormatRidingTime(int hours, int minutes, int seconds) {
    return QString::asprintf("%d:%02d:%02d", hours, minutes, seconds);
}

QString FormatDate(int64_t secondsSince1970) {
    const LocalDateTime local = ToLocalDateTime(secondsSince1970);
    return QString::asprintf("%04d/%02d/%02d", local.year, local.month, local.day);
}

LocalDateTime ToLocalDateTime(int64_t secondsSince1970) {
    bool ok = false;
    const std::tm local = LocalTm(secondsSince1970, &ok);
    if (!ok) {
        return {};
    }
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
            local.tm_min,         local.tm_sec,     local.tm_wday};
}

int64_t FromLocalDateTime(int year, int month, int day, int hour, int minute, int second) {
    tzset();
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    return static_cast<int64_t>(std::mktime(&local));
}
