#include "bicycles/BicycleCard.h"

#include "bicycles/BicycleListModel.h"
#include "bicycles/BicycleSummary.h"
#include "language/Language.h"
#include "units/SafeFormat.h"
#include "units/TextBlock.h"
#include "units/Units.h"

#include <QFontMetrics>
#include <QHash>
#include <QPainter>
#include <QPalette>
#include <QStaticText>
#include <QTransform>
#include <algorithm>
#include <iterator>
#include <memory>

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
    CardFonts(const QString& key, const QFont& titleFont, const QFont& textFont)
        : baseKey(key), title(titleFont), text(textFont), titleMetrics(titleFont), textMetrics(textFont) {}

    // A text that every card shows alike (a label, a type word), laid out
    // once in the text font and kept: a list of many cards draws the same
    // few texts again and again.
    struct SharedText {
        QStaticText layout;
        int width = 0;
    };
    const SharedText& Shared(const QString& textToShow) const {
        auto found = sharedTexts.find(textToShow);
        if (found == sharedTexts.end()) {
            SharedText shared;
            shared.layout.setText(textToShow);
            shared.layout.setTextFormat(Qt::PlainText);
            shared.layout.setPerformanceHint(QStaticText::AggressiveCaching);
            shared.layout.prepare(QTransform(), text);
            shared.width = textMetrics.horizontalAdvance(textToShow);
            // Words of another language replace these; a bound keeps the cache small.
            if (sharedTexts.size() > 256) {
                sharedTexts.clear();
            }
            found = sharedTexts.insert(textToShow, shared);
        }
        return *found;
    }

    QString baseKey;
    QFont title;
    QFont text;
    QFontMetrics titleMetrics;
    QFontMetrics textMetrics;
    mutable QHash<QString, SharedText> sharedTexts;
};

const CardFonts& FontsFor(const QFont& base) {
    static std::unique_ptr<CardFonts> fonts;
    const QString key = base.key();
    if (!fonts || fonts->baseKey != key) {
        fonts = std::make_unique<CardFonts>(key, CardFont(base, kTitleHeight, true),
                                            CardFont(base, kTextHeight, false));
    }
    return *fonts;
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
        ShownAverageSpeed(record.TimedDistance, record.TotalHours, record.TotalMinutes, record.TotalSeconds);
    return {
        {{kNameX, 2}, Font::Title, FromTextBlock(record.BicycleName), kTypeX - kNameX - kGap, false},
        {{kTypeX, 2}, Font::Text, GetBicycleTypeName(record.Type), 0, true, true},
        {{kLabelX, 25}, Font::Text, GetLanguageStringWithColon("BicycleAttrDlg", "PURD"), 0, false, true},
        {{kValueX, 25}, Font::Text, FormatDate(record.DatePurchased), 0, false},
        {{kLabelX, 45}, Font::Text, GetLanguageStringWithColon("Strings", "TODT"), 0, false, true},
        {{kValueX, 45},
         Font::Text,
         FormatNumberWithUnit(FromKilometres(record.TotalDistance), distanceUnit),
         0,
         false},
        {{kSecondLabelX, 45}, Font::Text, GetLanguageStringWithColon("Strings", "TOTM"), 0, false, true},
        {{kSecondValueX, 45},
         Font::Text,
         FormatRidingTime(record.TotalHours, record.TotalMinutes, record.TotalSeconds),
         0,
         false},
        {{kLabelX, 65}, Font::Text, GetLanguageStringWithColon("Strings", "AVGS"), 0, false, true},
        {{kValueX, 65}, Font::Text, FormatNumberWithUnit(average, speedUnit), 0, false},
        {{kSecondLabelX, 65}, Font::Text, GetLanguageStringWithColon("Strings", "MAXS"), 0, false, true},
        {{kSecondValueX, 65},
         Font::Text,
         FormatNumberWithUnit(FromKilometres(record.MaxSpeed), speedUnit),
         0,
         false},
        {{kLabelX, 85}, Font::Text, GetLanguageStringWithColon("Strings", "TOMC"), 0, false, true},
        {{kValueX, 85}, Font::Text, FormatMoney(record.TotalMaintenanceCost), 0, false},
    };
}

namespace {

// Where each text goes, given how wide a text is.
template <typename Advance>
std::vector<QPoint> ColumnOffsets(const std::vector<CardText>& texts, Advance advance) {
    // The figure columns stand where they always stand as long as the texts
    // before them fit; a longer label or figure (another language, a long
    // distance) moves the columns after it to the right instead of being cut.
    const int columns[] = {kLabelX, kValueX, kSecondLabelX, kSecondValueX};
    int shift[std::size(columns)] = {};
    for (size_t c = 0; c + 1 < std::size(columns); ++c) {
        int widest = 0;
        for (const CardText& item : texts) {
            if (item.offset.y() > 2 && item.offset.x() == columns[c]) {
                widest = std::max(widest, advance(item));
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

}  // namespace

std::vector<QPoint> CardTextOffsets(const std::vector<CardText>& texts, const QFontMetrics& textMetrics) {
    return ColumnOffsets(texts,
                         [&](const CardText& item) { return textMetrics.horizontalAdvance(item.text); });
}

void PaintBicycleCard(QPainter& painter, const QRect& rect, bool selected, const BicycleAttribute* record,
                      const QImage& picture, const QPalette& palette, const QFont& baseFont,
                      const QString& serviceLine) {
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
        painter.fillRect(rect.adjusted(1, 1, -2, -2), QColor::fromRgb(kCardColour));
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
    const std::vector<QPoint> offsets = ColumnOffsets(texts, [&](const CardText& item) {
        return item.shared ? fonts.Shared(item.text).width : fonts.textMetrics.horizontalAdvance(item.text);
    });
    painter.setPen(palette.color(QPalette::Text));
    painter.setBackgroundMode(Qt::TransparentMode);
    const QFont* selectedFont = nullptr;
    for (size_t i = 0; i < texts.size(); ++i) {
        const CardText& item = texts[i];
        const bool title = item.font == CardText::Font::Title;
        const QFont& font = title ? fonts.title : fonts.text;
        const QFontMetrics& metrics = title ? fonts.titleMetrics : fonts.textMetrics;
        if (selectedFont != &font) {
            painter.setFont(font);
            selectedFont = &font;
        }
        QPoint at = rect.topLeft() + offsets[i];
        if (item.shared && !title) {
            const CardFonts::SharedText& shared = fonts.Shared(item.text);
            if (item.alignRight) {
                // Right-aligned in the room of 20 characters, as "%20s" would place it.
                at.rx() += std::max(0, metrics.averageCharWidth() * kTypeWidthInCharacters - shared.width);
            }
            painter.drawStaticText(at, shared.layout);
            continue;
        }
        QString text = item.text;
        // Only a text that may be too long is measured for the cut.
        if (item.width > 0 && text.size() * metrics.maxWidth() > item.width) {
            text = metrics.elidedText(text, Qt::ElideRight, item.width);
        }
        // The offsets name the top-left corner; text is drawn on its baseline.
        painter.drawText(QPoint(at.x(), at.y() + metrics.ascent()), text);
    }
    if (!serviceLine.isEmpty()) {
        // Beside the maintenance cost, in the colour of a warning.
        const QString line = GetLanguageString("PartsService", "SERV") + QLatin1Char(' ') + serviceLine;
        QFont bold = fonts.text;
        bold.setBold(true);
        painter.setFont(bold);
        painter.setPen(selected ? palette.color(QPalette::HighlightedText) : QColor(0xb0, 0x30, 0x10));
        const QRect area(rect.left() + kSecondLabelX, rect.top() + 83, rect.width() - kSecondLabelX - 12, 22);
        painter.drawText(area, Qt::AlignRight | Qt::AlignVCenter, line);
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
                     option.palette, option.font, index.data(BicycleListModel::ServiceRole).toString());
}

QSize BicycleCardDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {option.rect.width(), kCardHeight};
}
