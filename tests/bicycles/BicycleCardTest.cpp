// The bicycle card: its texts in both units, and what it paints for each kind
// of picture a record may hold, through the model and the delegate the page
// uses.

#include "bicycles/BicycleCard.h"
#include "bicycles/BicycleListModel.h"
#include "support/Scoped.h"
#include "units/Units.h"

#include "BicycleTestSupport.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QStyleOptionViewItem>

namespace {

class BicycleCardTest : public BicycleTest {
protected:
    static constexpr int kWidth = 720;

    // The card of a one-row model, painted by the delegate.
    QImage Paint(const BicycleAttribute& record, bool selected = false) {
        BicycleListModel model;
        model.SetBicycles({record});
        BicycleCardDelegate delegate;
        QImage image(kWidth, kCardHeight, QImage::Format_RGB32);
        image.fill(Qt::magenta);
        QPainter painter(&image);
        QStyleOptionViewItem option;
        option.rect = QRect(0, 0, kWidth, kCardHeight);
        option.palette = QApplication::palette();
        option.font = QApplication::font();
        option.state = QStyle::State_Enabled | (selected ? QStyle::State_Selected : QStyle::State_None);
        delegate.paint(&painter, option, model.index(0));
        return image;
    }

    static BicycleAttribute Ridden() {
        BicycleAttribute record = NamedBicycle(QStringLiteral("Blue Arrow"));
        record.Type = 1;
        record.DatePurchased = static_cast<int32_t>(FromLocalDateTime(2019, 4, 13, 10));
        record.TotalDistance = 30.0;
        record.TimedDistance = 30.0;
        record.TotalHours = 1;
        record.MaxSpeed = 48.27;
        record.TotalMaintenanceCost = 12.5;
        return record;
    }

    static QStringList Texts(const BicycleAttribute& record) {
        QStringList texts;
        for (const CardText& item : CardTexts(record)) {
            texts << item.text;
        }
        return texts;
    }

    // Pixels that differ from white and the fill, i.e. ink, in a region.
    static int InkIn(const QImage& image, const QRect& region) {
        int ink = 0;
        for (int y = region.top(); y <= region.bottom(); ++y) {
            for (int x = region.left(); x <= region.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.lightness() < 128) {
                    ++ink;
                }
            }
        }
        return ink;
    }

    static QImage Region(const QImage& image, const QRect& region) { return image.copy(region); }
};

TEST_F(BicycleCardTest, TheCardShowsTheTotalsInTheUnitShown) {
    ScopedTimeZone zone("Europe/Berlin");
    EXPECT_EQ(Texts(Ridden()),
              (QStringList{
                  QStringLiteral("Blue Arrow"), QStringLiteral("Road bike"), QStringLiteral("Purchased:"),
                  QStringLiteral("2019/04/13"), QStringLiteral("Distance:"), QStringLiteral("30.00 km"),
                  QStringLiteral("Total time:"), QStringLiteral("1:00:00"), QStringLiteral("Average speed:"),
                  QStringLiteral("30.00 km/h"), QStringLiteral("Max speed:"), QStringLiteral("48.27 km/h"),
                  QStringLiteral("Maintenance:"), QStringLiteral("$12.50")}));
    SetDistanceUnit(1);
    const QStringList miles = Texts(Ridden());
    EXPECT_EQ(miles[5], QStringLiteral("18.65 miles"));
    EXPECT_EQ(miles[9], QStringLiteral("18.65 mph"));
    EXPECT_EQ(miles[11], QStringLiteral("30.00 mph"));
    EXPECT_EQ(miles[13], QStringLiteral("$12.50"));
}

TEST_F(BicycleCardTest, ABicycleWithoutRidesShowsZerosAndUnknownTypesShowTheOtherWord) {
    BicycleAttribute idle = NamedBicycle(QStringLiteral("Idle"));
    for (const int type : {7, 9, -1, 1000}) {
        idle.Type = type;
        const QStringList texts = Texts(idle);
        EXPECT_EQ(texts[1], QStringLiteral("Other bicycle")) << type;
        EXPECT_EQ(texts[5], QStringLiteral("0.00 km"));
        EXPECT_EQ(texts[7], QStringLiteral("0:00:00"));
        EXPECT_EQ(texts[9], QStringLiteral("0.00 km/h"));
        EXPECT_EQ(texts[13], QStringLiteral("$0.00"));
    }
    idle.Type = 6;
    EXPECT_EQ(Texts(idle)[1], QStringLiteral("Cyclocross bike"));
}

TEST_F(BicycleCardTest, EveryFigureIsDrawnWhateverThePictureHolds) {
    const QRect pictureArea(kCardPictureOffset, QSize(150, 75));
    const QRect figures(170, 20, kWidth - 180, kCardHeight - 24);
    const QImage withoutPicture = Paint(Ridden());
    ASSERT_GT(InkIn(withoutPicture, figures), 200) << "the figures are not drawn at all";
    EXPECT_EQ(InkIn(withoutPicture, pictureArea), 0);

    struct Case {
        const char* what;
        ByteBlock picture;
    };
    const QByteArray jpeg = [] {
        QImage image(150, 75, QImage::Format_RGB32);
        image.fill(Qt::black);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "JPG");
        return bytes;
    }();
    const Case unreadable[] = {
        {"a JPEG file", ByteBlock(jpeg.begin(), jpeg.end())},
        {"text", ByteBlock{'h', 'e', 'l', 'l', 'o'}},
        {"a damaged bitmap", ByteBlock{'B', 'M', 0x10, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F}},
        {"a single byte", ByteBlock{'B'}},
    };
    for (const Case& c : unreadable) {
        BicycleAttribute record = Ridden();
        record.PictureData = c.picture;
        const QImage painted = Paint(record);
        EXPECT_EQ(Region(painted, figures), Region(withoutPicture, figures)) << c.what;
        EXPECT_EQ(InkIn(painted, pictureArea), 0) << c.what;
    }

    BicycleAttribute pictured = Ridden();
    pictured.PictureData = BitmapBytes(Qt::black, 40, 20);  // any size is stretched to 150 x 75
    const QImage painted = Paint(pictured);
    EXPECT_EQ(Region(painted, figures), Region(withoutPicture, figures));
    EXPECT_EQ(InkIn(painted, pictureArea), 150 * 75);
    EXPECT_EQ(painted.pixelColor(pictureArea.topLeft() - QPoint(1, 0)), QColor(Qt::white));
    EXPECT_EQ(painted.pixelColor(pictureArea.bottomRight() + QPoint(1, 0)), QColor(Qt::white));
}

TEST_F(BicycleCardTest, ASelectedCardIsBlueInAFrameAndAnotherWhiteWithARaisedEdge) {
    const QPalette palette = QApplication::palette();
    const QImage selected = Paint(Ridden(), true);
    EXPECT_EQ(selected.pixel(kWidth / 2, kCardHeight - 4), kSelectedCardColour);
    EXPECT_EQ(selected.pixel(0, 0), palette.color(QPalette::Dark).rgb());
    EXPECT_EQ(selected.pixel(kWidth - 1, kCardHeight - 1), palette.color(QPalette::Dark).rgb());

    const QImage plain = Paint(Ridden(), false);
    EXPECT_EQ(plain.pixelColor(kWidth / 2, kCardHeight - 4), QColor(Qt::white));
    EXPECT_EQ(plain.pixel(kWidth / 2, 0), palette.color(QPalette::Light).rgb());
    EXPECT_EQ(plain.pixel(kWidth / 2, 1), palette.color(QPalette::Midlight).rgb());
    EXPECT_EQ(plain.pixel(kWidth / 2, kCardHeight - 1), palette.color(QPalette::Shadow).rgb());
    EXPECT_EQ(plain.pixel(kWidth / 2, kCardHeight - 2), palette.color(QPalette::Dark).rgb());
    EXPECT_EQ(plain.pixel(kWidth - 1, kCardHeight / 2), palette.color(QPalette::Shadow).rgb());
    EXPECT_EQ(plain.pixel(0, kCardHeight / 2), palette.color(QPalette::Light).rgb());

    // Both show their texts.
    const QRect figures(170, 20, kWidth - 180, kCardHeight - 24);
    EXPECT_GT(InkIn(plain, figures), 200);
    EXPECT_GT(InkIn(selected, figures), 200);
}

TEST_F(BicycleCardTest, ColumnsStayInPlaceUnlessATextBeforeThemIsTooWide) {
    QFont small = QApplication::font();
    small.setPixelSize(9);
    const QFontMetrics metrics(small);
    std::vector<CardText> texts = CardTexts(Ridden());
    std::vector<QPoint> offsets = CardTextOffsets(texts, metrics);
    for (size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(offsets[i], texts[i].offset) << texts[i].text.toStdString();
    }
    // A long distance label moves its value and the column after it, never over the label.
    texts[4].text = QString(40, u'W');
    offsets = CardTextOffsets(texts, metrics);
    const int labelEnd = offsets[4].x() + metrics.horizontalAdvance(texts[4].text);
    EXPECT_GT(offsets[5].x(), labelEnd);
    EXPECT_GT(offsets[6].x(), offsets[5].x() + metrics.horizontalAdvance(texts[5].text));
    EXPECT_EQ(offsets[3].x() - texts[3].offset.x(), offsets[5].x() - texts[5].offset.x());
    EXPECT_EQ(offsets[0], texts[0].offset);
    EXPECT_EQ(offsets[1], texts[1].offset);
}

TEST_F(BicycleCardTest, ARowWithoutRecordGetsOnlyItsBackground) {
    QImage image(kWidth, kCardHeight, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    PaintBicycleCard(painter, image.rect(), false, nullptr, QImage(), QApplication::palette(),
                     QApplication::font());
    painter.end();
    EXPECT_EQ(InkIn(image, QRect(10, 20, kWidth - 20, kCardHeight - 30)), 0);
    EXPECT_EQ(image.pixelColor(kWidth / 2, kCardHeight / 2), QColor(Qt::white));
}

}  // namespace
