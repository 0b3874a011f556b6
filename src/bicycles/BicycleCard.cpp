#include "bicycles/BicycleCard.h"

#include "bicycles/BicycleListModel.h"
#include "bicycles/BicycleSummary.h"
#include "language/Language.h"
#include "units/SafeFormat.h"
#include "units/TextBlock.h"
#include "units/Units.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPalette>

namespace {

// The two fonts are given as cell heights (ascent plus descent) of 20 and 15
// pixels in Tahoma; where Tahoma is missing the substitute gets the size at
// which its own cells fit those heights, so the fixed columns still hold.
constexpr int kTitleHeight = 20;
constexpr int kTextHeight = 15;
constexpr int kTypeWidthInCharacters = 20;

QFont CardFont(const QFont& base, int cellHeight, bool bold) {
    QFont font(base);
    font.setFamily(QStringLiteral("Tahoma"));
    font.setBold(bold);
    font.setStretch(QFont::AnyStretch);
    int pixels = cellHeight;
    font.setPixelSize(pixels);
    while (pixels > 6 && QFontMetrics(font).height() > cellHeight) {
        font.setPixelSize(--pixels);
    }
    return font;
}

struct CardFonts {
    QString baseKey;
    QFont title;
    QFont text;
};

const CardFonts& FontsFor(const QFont& base) {
    static CardFonts fonts;
    const QString key = base.key();
    if (fonts.baseKey != key || fonts.baseKey.isEmpty()) {
        fonts = {key, CardFont(base, kTitleHeight, true), CardFont(base, kTextHeight, false)};
    }
    return fonts;
}

// Columns of the card, from its left edge.
constexpr int kNameX = 10;
constexpr int kTypeX = 490;
constexpr int kLabelX = 180;
constexpr int kValueX = 275;
constexpr int kSecondLabelX = 370;
constexpr int kSecondValueX = 465;
constexpr int kGap = 6;
constexpr int kOpenWidth = 200;  // a value with no column after it

}  // namespace

std::vector<CardText> CardTexts(const BicycleAttribute& record) {
    using Font = CardText::Font;
    const QString distanceUnit = GetDistanceUnitWord();
    const QString speedUnit = GetSpeedUnitWord();
    const double average =
        AverageSpeed(record.TotalDistance, record.TotalHours, record.TotalMinutes, record.TotalSeconds);
    const int labelWidth = kValueX - kLabelX - kGap;
    const int valueWidth = kSecondLabelX - kValueX - kGap;
    const int secondLabelWidth = kSecondValueX - kSecondLabelX - kGap;
    return {
        {{kNameX, 2}, Font::Title, FromTextBlock(record.BicycleName), kTypeX - kNameX - kGap, false},
        {{kTypeX, 2}, Font::Text, GetBicycleTypeName(record.Type), 0, true},
        {{kLabelX, 25}, Font::Text, GetLanguageStringWithColon("BicycleAttrDlg", "PURD"), labelWidth, false},
        {{kValueX, 25}, Font::Text, FormatDate(record.DatePurchased), kOpenWidth, false},
        {{kLabelX, 45}, Font::Text, GetLanguageStringWithColon("Strings", "TODT"), labelWidth, false},
        {{kValueX, 45},
         Font::Text,
         FormatNumberWithUnit(FromKilometres(record.TotalDistance), distanceUnit),
         valueWidth,
         false},
        {{kSecondLabelX, 45}, Font::Text, GetLanguageStringWithColon("Strings", "TOTM"), secondLabelWidth, false},
        {{kSecondValueX, 45},
         Font::Text,
         FormatRidingTime(record.TotalHours, record.TotalMinutes, record.TotalSeconds),
         kOpenWidth,
         false},
        {{kLabelX, 65}, Font::Text, GetLanguageStringWithColon("Strings", "AVGS"), labelWidth, false},
        {{kValueX, 65}, Font::Text, FormatNumberWithUnit(average, speedUnit), valueWidth, false},
        {{kSecondLabelX, 65}, Font::Text, GetLanguageStringWithColon("Strings", "MAXS"), secondLabelWidth, false},
        {{kSecondValueX, 65},
         Font::Text,
         FormatNumberWithUnit(FromKilometres(record.MaxSpeed), speedUnit),
         kOpenWidth,
         false},
        {{kLabelX, 85}, Font::Text, GetLanguageStringWithColon("Strings", "TOMC"), labelWidth, false},
        {{kValueX, 85}, Font::Text, u'$' + FormatFixed(record.TotalMaintenanceCost, 2), kOpenWidth, false},
    };
}

void PaintBicycleCard(QPainter& painter, const QRect& rect, bool selected, const BicycleAttribute* record,
                      const QImage& picture, const QPalette& palette, const QFont& baseFont) {
    painter.save();
    const int l = rect.left();
    const int t = rect.top();
    const int r = rect.right();  // inclusive
    const int b = rect.bottom();
    if (selected) {
        painter.fillRect(rect, QColor::fromRgb(kSelectedCardColour));
        painter.setPen(palette.color(QPalette::Dark));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
    } else {
        painter.fillRect(rect.adjusted(1, 1, -2, -2), Qt::white);
        // The raised edge: two lines of light above and left, two of shadow below and right.
        painter.setPen(palette.color(QPalette::Light));
        painter.drawLine(l, t, r - 1, t);
        painter.drawLine(l, t, l, b - 1);
        painter.setPen(palette.color(QPalette::Midlight));
        painter.drawLine(l + 1, t + 1, r - 2, t + 1);
        painter.drawLine(l + 1, t + 1, l + 1, b - 2);
        painter.setPen(palette.color(QPalette::Shadow));
        painter.drawLine(l, b, r, b);
        painter.drawLine(r, t, r, b);
        painter.setPen(palette.color(QPalette::Dark));
        painter.drawLine(l + 1, b - 1, r - 1, b - 1);
        painter.drawLine(r - 1, t + 1, r - 1, b - 1);
    }
    if (!record) {
        painter.restore();
        return;
    }

    if (!picture.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(rect.topLeft() + kCardPictureOffset, QSize(150, 75)), picture);
    }

    const CardFonts& fonts = FontsFor(baseFont);
    painter.setPen(palette.color(QPalette::Text));
    painter.setBackgroundMode(Qt::TransparentMode);
    for (const CardText& item : CardTexts(*record)) {
        const QFont& font = item.font == CardText::Font::Title ? fonts.title : fonts.text;
        painter.setFont(font);
        const QFontMetrics metrics(font);
        const int width =
            item.alignRight ? metrics.averageCharWidth() * kTypeWidthInCharacters : item.width;
        const QRect box(rect.topLeft() + item.offset, QSize(width, metrics.height()));
        const QString text = metrics.elidedText(item.text, Qt::ElideRight, width);
        painter.drawText(box, (item.alignRight ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop | Qt::TextSingleLine,
                         text);
    }
    painter.restore();
}

void BicycleCardDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    if (!index.isValid()) {
        return;
    }
    const auto* record = index.data(BicycleListModel::RecordRole).value<const BicycleAttribute*>();
    const QImage picture = index.data(BicycleListModel::PictureRole).value<QImage>();
    PaintBicycleCard(*painter, option.rect, option.state.testFlag(QStyle::State_Selected), record, picture,
                     option.palette, option.font);
}

QSize BicycleCardDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {option.rect.width(), kCardHeight};
}
