#include "units/SafeFormat.h"

#include <array>
#include <charconv>

namespace {

enum class Conversion { Percent, Int, Text, Fixed, Unknown };

struct ParsedConversion {
    Conversion kind = Conversion::Unknown;
    int decimals = 6;  // Fixed: digits after the point; Int: least digits, padded with zeros
};

bool IsAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// Only the exact forms "%%", "%d", "%0Nd", "%s", "%f" and "%.Nf" with one
// digit N are known; other flags, widths, length modifiers and every other
// letter are not. "%0Nd" is there for clock times such as "%d:%02d:%02d".
ParsedConversion Classify(QStringView spec) {
    if (spec == u"%%") {
        return {Conversion::Percent};
    }
    if (spec == u"%d") {
        return {Conversion::Int, 0};
    }
    if (spec.size() == 4 && spec[1] == u'0' && IsAsciiDigit(spec[2]) && spec[3] == u'd') {
        return {Conversion::Int, spec[2].unicode() - u'0'};
    }
    if (spec == u"%s") {
        return {Conversion::Text};
    }
    if (spec == u"%f") {
        return {Conversion::Fixed, 6};
    }
    if (spec.size() == 4 && spec[1] == u'.' && IsAsciiDigit(spec[2]) && spec[3] == u'f') {
        return {Conversion::Fixed, spec[2].unicode() - u'0'};
    }
    return {};
}

// The extent of one printf-style conversion starting at the "%" at start:
// flags, width, precision, length modifiers and the conversion character.
// Knowing the whole extent lets an unknown conversion be copied as one piece,
// so that e.g. the "%" closing "%5%" is not read as the start of another.
qsizetype ConversionEnd(const QString& format, qsizetype start) {
    const qsizetype size = format.size();
    qsizetype i = start + 1;
    while (i < size && QStringView(u"-+ #0").contains(format[i])) {
        ++i;
    }
    while (i < size && (IsAsciiDigit(format[i]) || format[i] == u'*')) {
        ++i;
    }
    if (i < size && format[i] == u'.') {
        ++i;
        while (i < size && (IsAsciiDigit(format[i]) || format[i] == u'*')) {
            ++i;
        }
    }
    while (i < size && QStringView(u"hlLqjzt").contains(format[i])) {
        ++i;
    }
    if (i < size) {
        ++i;  // the conversion character, whatever it is
    }
    return i;
}

}  // namespace

QString FormatFixed(double value, int decimals) {
    // to_chars with a precision writes what printf writes in the C locale,
    // and never depends on the process locale (which Qt sets from the user's).
    std::array<char, 400> buffer;
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) {
        return QString::number(value, 'f', decimals);
    }
    return QString::fromLatin1(buffer.data(), result.ptr - buffer.data());
}

QString SafeFormat(const QString& format, std::initializer_list<FormatArg> args) {
    QString out;
    out.reserve(format.size() + 16);
    auto nextArg = args.begin();

    qsizetype i = 0;
    while (i < format.size()) {
        if (format[i] != u'%') {
            const qsizetype textEnd = format.indexOf(u'%', i);
            const qsizetype end = textEnd < 0 ? format.size() : textEnd;
            out += QStringView(format).mid(i, end - i);
            i = end;
            continue;
        }
        const qsizetype end = ConversionEnd(format, i);
        const QStringView spec = QStringView(format).mid(i, end - i);
        i = end;

        const ParsedConversion conversion = Classify(spec);
        if (conversion.kind == Conversion::Percent) {
            out += u'%';
            continue;
        }
        // Unknown conversions take no argument, so the known ones after them
        // still meet the arguments meant for them.
        if (conversion.kind == Conversion::Unknown || nextArg == args.end()) {
            out += spec;
            continue;
        }
        // A known conversion uses up its argument even when the types do not
        // match, for the same reason: one wrong conversion in a translation
        // must not shift every argument after it.
        const FormatArg& arg = *nextArg++;
        if (conversion.kind == Conversion::Int && std::holds_alternative<int>(arg)) {
            const int value = std::get<int>(arg);
            // printf pads after the sign: "%03d" of -5 is "-05".
            const QString digits = QString::number(value < 0 ? -static_cast<qint64>(value) : value);
            if (value < 0) {
                out += u'-';
            }
            const qsizetype width = conversion.decimals - (value < 0 ? 1 : 0);
            out += digits.rightJustified(width, u'0');
        } else if (conversion.kind == Conversion::Text && std::holds_alternative<QString>(arg)) {
            out += std::get<QString>(arg);
        } else if (conversion.kind == Conversion::Fixed && std::holds_alternative<double>(arg)) {
            out += FormatFixed(std::get<double>(arg), conversion.decimals);
        } else {
            out += spec;
        }
    }
    return out;
}
