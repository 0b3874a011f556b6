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
#include <algorithm>
#include <iterator>

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

}  // namespace

std::vector<CardText> CardTexts(const BicycleAttribute& record) {
    using Font = CardText::Font;
    const QString distanceUnit = GetDistanceUnitWord();
    const QString speedUnit = GetSpeedUnitWord();
    const double average =
        ShownAverageSpeed(record.TotalDistance, record.TotalHours, record.TotalMinutes, record.TotalSeconds);
    return {
        {{kNameX, 2}, Font::Title, FromTextBlock(record.BicycleName), kTypeX - kNameX - kGap, false},
        {{kTypeX, 2}, Font::Text, GetBicycleTypeName(record.Type), 0, true},
        {{kLabelX, 25}, Font::Text, GetLanguageStringWithColon("BicycleAttrDlg", "PURD"), 0, false},
        {{kValueX, 25}, Font::Text, FormatDate(record.DatePurchased), 0, false},
        {{kLabelX, 45}, Font::Text, GetLanguageStringWithColon("Strings", "TODT"), 0, false},
        {{kValueX, 45},
         Font::Text,
         FormatNumberWithUnit(FromKilometres(record.TotalDistance), distanceUnit),
         0,
         false},
        {{kSecondLabelX, 45}, Font::Text, GetLanguageStringWithColon("Strings", "TOTM"), 0, false},
        {{kSecondValueX, 45},
         Font::Text,
         FormatRidingTime(record.TotalHours, record.TotalMinutes, record.TotalSeconds),
         0,
         false},
        {{kLabelX, 65}, Font::Text, GetLanguageStringWithColon("Strings", "AVGS"), 0, false},
        {{kValueX, 65}, Font::Text, FormatNumberWithUnit(average, speedUnit), 0, false},
        {{kSecondLabelX, 65}, Font::Text, GetLanguageStringWithColon("Strings", "MAXS"), 0, false},
        {{kSecondValueX, 65},
         Font::Text,
         FormatNumberWithUnit(FromKilometres(record.MaxSpeed), speedUnit),
         0,
         false},
        {{kLabelX, 85}, Font::Text, GetLanguageStringWithColon("Strings", "TOMC"), 0, false},
        {{kValueX, 85}, Font::Text, u'$' + FormatFixed(record.TotalMaintenanceCost, 2), 0, false},
    };
}

std::vector<QPoint> CardTextOffsets(const std::vector<CardText>& texts, const QFontMetrics& textMetrics) {
    // The figure columns stand where they always stand as long as the texts
    // before them fit; a longer label or figure (another language, a long
    // distance) moves the columns after it to the right instead of being cut.
    const int columns[] = {kLabelX, kValueX, kSecondLabelX, kSecondValueX};
    int shift[std::size(columns)] = {};
    for (size_t c = 0; c + 1 < std::size(columns); ++c) {
        int widest = 0;
        for (const CardText& item : texts) {
            if (item.offset.y() > 2 && item.offset.x() == columns[c]) {
                widest = std::max(widest, textMetrics.horizontalAdvance(item.text));
            }
        }
        const int room = columns[c + 1] - columns[c] - kGap;
        shift[c + 1] = shift[c] + std::max(0, widest - room);
    }
    std::vector<QPoint> offsets;
    offsets.reserve(texts.size());
    for (const CardText& item : texts) {
        QPoint offset = item.offset;
        for (size_t c = 0; c < std::size(columns); ++c) {
            if (item.offset.y() > 2 && item.offset.x() == columns[c]) {
                offset.rx() += shift[c];
            }
        }
        offsets.push_back(offset);
    }
    return offsets;
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
    const std::vector<CardText> texts = CardTexts(*record);
    const std::vector<QPoint> offsets = CardTextOffsets(texts, QFontMetrics(fonts.text));
    painter.setPen(palette.color(QPalette::Text));
    painter.setBackgroundMode(Qt::TransparentMode);
    for (size_t i = 0; i < texts.size(); ++i) {
        const CardText& item = texts[i];
        const QFont& font = item.font == CardText::Font::Title ? fonts.title : fonts.text;
        painter.setFont(font);
        const QFontMetrics metrics(font);
        int width = item.width > 0 ? item.width : metrics.horizontalAdvance(item.text) + 1;
        if (item.alignRight) {
            width = std::max(width, metrics.averageCharWidth() * kTypeWidthInCharacters);
        }
        const QRect box(rect.topLeft() + offsets[i], QSize(width, metrics.height()));
        const QString text =
            item.width > 0 ? metrics.elidedText(item.text, Qt::ElideRight, width) : item.text;
        painter.drawText(
            box, (item.alignRight ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop | Qt::TextSingleLine,
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
