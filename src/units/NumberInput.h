#pragma once
// Numbers typed into fields. Every number field of the program reads its text
// here, and takes a number only when the whole text is one: "12 km/h" in a
// distance field, "abc", "1.2.3" or "-3" are refused rather than stored as a
// prefix or 0, so the field can be named to the rider before anything is saved.
//
// A text is read the way the rider's language writes numbers first (German
// "1.234,5" is 1234.5 and "1.299" is 1299), then with a decimal point ("12.5"
// in any language), then, in languages that write a point, with a decimal
// comma ("12,5" in English is 12.5). Blanks around the number, full-width
// digits and a trailing unit word that the field shows beside itself ("12 km"
// in a distance field) are accepted. An empty field is 0. No field takes a
// sign, and whole-number fields take no decimals.
//
// Only what the rider types is read here: stored files and language files
// keep the C library's reading, and every number shown keeps its point format.

#include <QString>
#include <optional>

// How a language writes numbers: its decimal mark and the characters it may
// put between groups of three digits.
struct NumberConventions {
    QChar decimalMark = u'.';
    QString groupSeparators;
};

// The conventions of a language by the name its file gives itself
// (CommonInfo/Language); a language not known here writes a decimal point and
// no groups.
NumberConventions NumberConventionsOf(const QString& languageName);
// Those of the language loaded now.
NumberConventions CurrentNumberConventions();

// What a field holds.
enum class NumberKind { Decimal, Whole };

// The number the whole text holds, or nothing when it holds none the field
// takes. unitWord is the word the field shows beside itself, or empty.
std::optional<double> ReadNumber(const QString& text, NumberKind kind, const QString& unitWord,
                                 const NumberConventions& conventions);
std::optional<double> ReadNumber(const QString& text, NumberKind kind, const QString& unitWord = QString());

// The two kinds with the types their records keep.
std::optional<double> ReadDecimal(const QString& text, const QString& unitWord = QString());
// Also refuses a number beyond the range of an int.
std::optional<int> ReadWholeNumber(const QString& text, const QString& unitWord = QString());

// The message, in the rider's language, that names a field whose text is not
// a number of its kind. fieldName is the field's caption without its colon.
QString NumberRefusal(const QString& fieldName, NumberKind kind);
