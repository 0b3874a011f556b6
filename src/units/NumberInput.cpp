#include "units/NumberInput.h"

#include "language/Language.h"
#include "units/SafeFormat.h"

#include <charconv>
#include <climits>
#include <string>
#include <system_error>

namespace {

// The sixteen languages the program ships, by the name each file gives itself.
// After the text is normalised (below) every kind of blank a language groups
// with, the narrow no-break space of French and the no-break space of the
// Nordic languages, Czech, Polish and Russian included, is a plain space.
struct LanguageNumbers {
    const char16_t* name;
    char16_t decimalMark;
    const char16_t* groupSeparators;
};

constexpr LanguageNumbers kLanguageNumbers[] = {
    {u"English", u'.', u","},
    {u"Deutsch", u',', u"."},
    {u"Français", u',', u" "},
    {u"Español", u',', u". "},
    {u"Italiano", u',', u"."},
    {u"Nederlands", u',', u"."},
    // Brazil groups with a point, Portugal with a space.
    {u"Português", u',', u". "},
    {u"Polski", u',', u" "},
    {u"Čeština", u',', u" "},
    {u"Svenska", u',', u" "},
    {u"Dansk", u',', u"."},
    {u"Norsk (bokmål)", u',', u" "},
    {u"Suomi", u',', u" "},
    {u"Русский", u',', u" "},
    {u"日本語", u'.', u","},
    {u"简体中文", u'.', u","},
};

// A number as read: its digits before and after the decimal mark.
struct Digits {
    std::string whole;
    std::string fraction;
    bool hasMark = false;
};

bool IsDigit(QChar c) {
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// Reads digits from position i on into out; the position after them.
qsizetype TakeDigits(const QString& text, qsizetype i, std::string* out) {
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        *out += static_cast<char>(text[i].unicode());
    }
    return i;
}

// The whole part: digits, either in one run or grouped by three with one of
// the separators (the same one throughout) after a first group of one to
// three. Returns the position after it, or -1 when the grouping is broken.
// Nobody groups a number that starts with 0: "0,75" is no grouping.
qsizetype TakeWholePart(const QString& text, const QString& separators, std::string* out) {
    qsizetype i = TakeDigits(text, 0, out);
    if (i == 0 || i > 3 || text[0] == u'0' || i >= text.size() || !separators.contains(text[i])) {
        return i;
    }
    const QChar separator = text[i];
    while (i < text.size() && text[i] == separator) {
        const qsizetype groupStart = i + 1;
        const qsizetype groupEnd = TakeDigits(text, groupStart, out);
        if (groupEnd - groupStart != 3) {
            return -1;
        }
        i = groupEnd;
    }
    return i;
}

// The whole text as a number written with mark and, when given, groups; a
// mark must have digits after it, and digits come before or after it.
std::optional<Digits> ReadWritten(const QString& text, QChar mark, const QString& separators) {
    Digits digits;
    qsizetype i = TakeWholePart(text, separators, &digits.whole);
    if (i < 0) {
        return std::nullopt;
    }
    if (i < text.size() && text[i] == mark) {
        digits.hasMark = true;
        const qsizetype fractionStart = i + 1;
        i = TakeDigits(text, fractionStart, &digits.fraction);
        if (i == fractionStart) {
            return std::nullopt;
        }
    }
    if (i != text.size() || (digits.whole.empty() && digits.fraction.empty())) {
        return std::nullopt;
    }
    return digits;
}

// The rider's own writing first, then a decimal point, then (where the
// language writes a point) a decimal comma.
std::optional<Digits> ReadAnyWriting(const QString& text, const NumberConventions& conventions) {
    if (auto own = ReadWritten(text, conventions.decimalMark, conventions.groupSeparators)) {
        return own;
    }
    if (auto point = ReadWritten(text, u'.', QString())) {
        return point;
    }
    if (conventions.decimalMark == u'.') {
        return ReadWritten(text, u',', QString());
    }
    return std::nullopt;
}

// Full-width digits and marks, as a Japanese or Chinese input method types
// them, become the ASCII ones, and every kind of blank a plain space.
QString Normalised(const QString& text) {
    return text.normalized(QString::NormalizationForm_KC).trimmed();
}

// The text without the field's unit word at its end (with or without a blank
// before it), when there is a number before the word.
QString WithoutUnitWord(const QString& text, const QString& unitWord) {
    const QString unit = Normalised(unitWord);
    if (unit.isEmpty() || text.size() <= unit.size() || !text.endsWith(unit, Qt::CaseInsensitive)) {
        return text;
    }
    return text.left(text.size() - unit.size()).trimmed();
}

}  // namespace

NumberConventions NumberConventionsOf(const QString& languageName) {
    for (const LanguageNumbers& language : kLanguageNumbers) {
        if (languageName == QStringView(language.name)) {
            return {QChar(language.decimalMark), QString::fromUtf16(language.groupSeparators)};
        }
    }
    return {QChar(u'.'), QString()};
}

NumberConventions CurrentNumberConventions() {
    return NumberConventionsOf(GetLanguageString("CommonInfo", "Language"));
}

std::optional<double> ReadNumber(const QString& text, NumberKind kind, const QString& unitWord,
                                 const NumberConventions& conventions) {
    const QString number = WithoutUnitWord(Normalised(text), unitWord);
    if (number.isEmpty()) {
        return 0.0;
    }
    const std::optional<Digits> digits = ReadAnyWriting(number, conventions);
    if (!digits || (kind == NumberKind::Whole && digits->hasMark)) {
        return std::nullopt;
    }
    const std::string plain =
        (digits->whole.empty() ? std::string("0") : digits->whole) + '.' + digits->fraction + '0';
    double value = 0.0;
    const auto [end, error] =
        std::from_chars(plain.data(), plain.data() + plain.size(), value, std::chars_format::fixed);
    if (error != std::errc() || end != plain.data() + plain.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> ReadNumber(const QString& text, NumberKind kind, const QString& unitWord) {
    return ReadNumber(text, kind, unitWord, CurrentNumberConventions());
}

std::optional<double> ReadDecimal(const QString& text, const QString& unitWord) {
    return ReadNumber(text, NumberKind::Decimal, unitWord);
}

std::optional<int> ReadWholeNumber(const QString& text, const QString& unitWord) {
    const std::optional<double> value = ReadNumber(text, NumberKind::Whole, unitWord);
    if (!value || *value > INT_MAX) {
        return std::nullopt;
    }
    return static_cast<int>(*value);
}

QString NumberRefusal(const QString& fieldName, NumberKind kind) {
    const QString format = kind == NumberKind::Whole ? GetLanguageString("ErrorStrings", "NUMW")
                                                     : GetLanguageString("ErrorStrings", "NUMD");
    return SafeFormat(format, {fieldName});
}
