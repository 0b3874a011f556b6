#include "units/NumberInput.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <string>
#include <system_error>

namespace {

bool IsBlank(QChar c) {
    // The blanks of the C locale's isspace().
    switch (c.unicode()) {
        case u' ':
        case u'\t':
        case u'\n':
        case u'\v':
        case u'\f':
        case u'\r':
            return true;
        default:
            return false;
    }
}

bool IsDigit(QChar c) {
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// Skips the blanks and reads the sign; returns the position of the first
// character after them.
qsizetype SkipBlanksAndSign(const QString& text, bool* negative) {
    qsizetype i = 0;
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    *negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        *negative = text[i] == u'-';
        ++i;
    }
    return i;
}

}  // namespace

int ParseInteger(const QString& text) {
    bool negative = false;
    qsizetype i = SkipBlanksAndSign(text, &negative);
    // Gathered as a negative number, whose range reaches one further than the
    // positive one, so INT_MIN itself reads back exactly.
    long long value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        value = value * 10 - (text[i].unicode() - u'0');
        if (value < INT_MIN) {
            return negative ? INT_MIN : INT_MAX;
        }
    }
    if (negative) {
        return static_cast<int>(value);
    }
    return value == INT_MIN ? INT_MAX : static_cast<int>(-value);
}

double ParseDecimal(const QString& text) {
    bool negative = false;
    qsizetype i = SkipBlanksAndSign(text, &negative);
    std::string number;
    bool anyDigit = false;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        number += static_cast<char>(text[i].unicode());
        anyDigit = true;
    }
    if (i < text.size() && text[i] == u'.') {
        number += '.';
        for (++i; i < text.size() && IsDigit(text[i]); ++i) {
            number += static_cast<char>(text[i].unicode());
            anyDigit = true;
        }
    }
    if (!anyDigit) {
        return 0.0;
    }
    double value = 0.0;
    const auto [end, error] =
        std::from_chars(number.data(), number.data() + number.size(), value, std::chars_format::fixed);
    if (error == std::errc::result_out_of_range) {
        // Too many digits for a double: too large, or so small it is 0.
        const bool tooLarge = number.find_first_not_of("0.") < number.find('.');
        value = tooLarge ? HUGE_VAL : 0.0;
    }
    return negative ? -value : value;
}
