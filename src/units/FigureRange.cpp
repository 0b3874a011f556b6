#include "units/FigureRange.h"

#include "units/NumberInput.h"

#include <QStringList>
#include <array>
#include <charconv>
#include <cmath>

namespace {

std::string PlainNumber(double value) {
    std::array<char, 32> text{};
    const auto [end, error] = std::to_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() ? std::string(text.data(), end) : std::string("0");
}

}  // namespace

std::string FigureRangeCondition(const char* expression, std::optional<double> least,
                                 std::optional<double> most) {
    std::string condition;
    if (least && std::isfinite(*least)) {
        condition += " and (" + std::string(expression) + ">=" + PlainNumber(*least) + ")";
    }
    if (most && std::isfinite(*most)) {
        condition += " and (" + std::string(expression) + "<=" + PlainNumber(*most) + ")";
    }
    return condition;
}

std::optional<int> ReadDuration(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return std::nullopt;
    }
    constexpr double kLongest = 1.0e6 * 3600.0;
    if (!trimmed.contains(u':')) {
        const std::optional<double> hours = ReadNumber(trimmed, NumberKind::Decimal);
        if (!hours || *hours * 3600.0 > kLongest) {
            return std::nullopt;
        }
        return static_cast<int>(std::lround(*hours * 3600.0));
    }
    const QStringList parts = trimmed.split(u':');
    if (parts.size() > 3) {
        return std::nullopt;
    }
    double seconds = 0.0;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const std::optional<int> part = ReadWholeNumber(parts[i]);
        // Minutes and seconds run to 59; an empty part ("1:") is no time.
        if (!part || parts[i].trimmed().isEmpty() || (i > 0 && *part > 59)) {
            return std::nullopt;
        }
        seconds += *part * (i == 0 ? 3600.0 : i == 1 ? 60.0 : 1.0);
    }
    if (seconds > kLongest) {
        return std::nullopt;
    }
    return static_cast<int>(seconds);
}
