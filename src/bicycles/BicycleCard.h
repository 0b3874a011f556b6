#pragma once
// The card that shows one bicycle on the bicycles page: name and type on
// top, the picture on the left, the purchase date and the totals of its rides
// and maintenance beside it. Every figure is drawn whatever the picture
// holds; a picture that cannot be read only leaves its own area empty.

#include "store/store.h"

#include <QImage>
#include <QPoint>
#include <QString>
#include <QStyledItemDelegate>
#include <vector>

class QFontMetrics;
class QPainter;
class QPalette;

inline constexpr int kCardHeight = 110;
inline constexpr QPoint kCardPictureOffset{10, 25};
// A card's fill, also around and behind its picture in the stored thumbnail.
inline constexpr QRgb kCardColour = 0xFFFFFFFF;
// The selected card's fill.
inline constexpr QRgb kSelectedCardColour = 0xFF648CBE;  // RGB(100, 140, 190)

// One text of a card: where its top-left corner goes (relative to the card),
// which of the two fonts it uses, and for the name the room it has before
// the type word, beyond which it is cut with "...".
struct CardText {
    enum class Font { Title, Text };
    QPoint offset;
    Font font = Font::Text;
    QString text;
    int width = 0;            // room in pixels, or 0 for as much as the text needs
    bool alignRight = false;  // right-aligned within its width (the type word)
    bool shared = false;      // the same on many cards (labels, type words)
};

// The texts of a card in drawing order: the name, the type word, then each
// label with its figure, distances and speeds in the unit shown.
std::vector<CardText> CardTexts(const BicycleAttribute& record);

// Where each text of a card goes, in the card's text font: at its offset as
// long as the labels and figures fit their columns, else with the columns
// after a wider text moved right by as much as it needs.
std::vector<QPoint> CardTextOffsets(const std::vector<CardText>& texts, const QFontMetrics& textMetrics);

// Paints one card over rect. record may be null (only the background is
// drawn); picture is the record's decoded picture, null for none;
// serviceLine what is due on it ("2 due, 1 soon"), drawn at the bottom right.
void PaintBicycleCard(QPainter& painter, const QRect& rect, bool selected, const BicycleAttribute* record,
                      const QImage& picture, const QPalette& palette, const QFont& baseFont,
                      const QString& serviceLine = QString());

// Draws each row of a BicycleListModel as a card, 110 pixels high.
class BicycleCardDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
