#include "bicycles/BicycleFields.h"

#include <QLocale>
#include <QRegularExpression>
#include <limits>

double DecimalOfText(const QString& text) {
    // The C locale's form whatever the user's locale: the stored texts and
    // the fields' own "%.2f" both use a decimal point.
    static const QRegularExpression number(
        QStringLiteral(R"(^\s*([+-]?(?:\d+\.?\d*|\.\d+)(?:[eE][+-]?\d+)?))"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch()) {
        return 0.0;
    }
    bool ok = false;
    const double value = QLocale::c().toDouble(match.captured(1), &ok);
    return ok ? value : 0.0;
}

int IntegerOfText(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace()) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > std::numeric_limits<int>::max()) {
            return negative ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
        }
    }
    return static_cast<int>(negative ? -value : value);
}

FrameChoice FrameChoiceFor(int frame) {
    if (frame >= 0 && frame < kOtherFramePosition) {
        return {frame, QString()};
    }
    return {kOtherFramePosition, QString::number(frame)};
}

int FrameFromChoice(int position, const QString& inchText) {
    if (position >= 0 && position < kOtherFramePosition) {
        return position;
    }
    if (position == kOtherFramePosition) {
        return IntegerOfText(inchText);
    }
    return kDefaultFramePosition;
}
