#include "units/NumberInput.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

// The leading number of text in the C locale's form, as strtod reads it:
// optional blanks and sign, digits, one decimal point, digits, an exponent.
std::string LeadingNumber(const QString& text) {
    std::string number;
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) {
        ++i;
    }
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        number += static_cast<char>(text[i].unicode());
        ++i;
    }
    bool point = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c >= u'0' && c <= u'9') {
            number += static_cast<char>(c.unicode());
        } else if ((c == u'.' || c == u',') && !point) {
            number += '.';
            point = true;
        } else {
            break;
        }
    }
    return number;
}

}  // namespace

double ParseDecimal(const QString& text) {
    const std::string number = LeadingNumber(text);
    double value = 0.0;
    const char* begin = number.data();
    if (!number.empty() && number[0] == '+') {
        ++begin;
    }
    const auto result = std::from_chars(begin, number.data() + number.size(), value);
    if (result.ec != std::errc() || !std::isfinite(value)) {
        return 0.0;
    }
    return value;
}

int ParseInteger(const QString& text) {
    std::string number = LeadingNumber(text);
    if (const size_t point = number.find('.'); point != std::string::npos) {
        number.resize(point);
    }
    const char* begin = number.data();
    if (!number.empty() && number[0] == '+') {
        ++begin;
    }
    long long value = 0;
    const auto result = std::from_chars(begin, number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        return number[0] == '-' ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    }
    if (result.ec != std::errc()) {
        return 0;
    }
    if (value > std::numeric_limits<int>::max()) {
        return std::numeric_limits<int>::max();
    }
    if (value < std::numeric_limits<int>::min()) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(value);
}
