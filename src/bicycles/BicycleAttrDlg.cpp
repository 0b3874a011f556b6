#include "bicycles/BicycleAttrDlg.h"

#include "bicycles/BicycleFields.h"
#include "bicycles/BicyclePicture.h"
#include "bicycles/ThumbnailConverter.h"
#include "language/Language.h"
#include "platform/Dialogs.h"
#include "platform/Failure.h"
#include "platform/NumberField.h"
#include "units/Clock.h"
#include "units/ProductInfo.h"
#include "units/TextBlock.h"
#include "units/Units.h"
#include "widgets/DayPickers.h"
#include "widgets/LinkLabel.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QFile>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>
#include <algorithm>
#include <cerrno>
#include <limits>
#include <new>

// The picture field: an etched frame with the thumbnail stretched over its inside.
class ThumbnailFrame : public QFrame {
public:
    explicit ThumbnailFrame(QWidget* parent) : QFrame(parent) {
        setFrameStyle(QFrame::Box | QFrame::Sunken);
        setLineWidth(1);
        setFixedSize(kThumbnailWidth + 4, kThumbnailHeight + 4);
    }

    void SetPicture(const QImage& picture) {
        m_picture = picture;
        update();
    }
    const QImage& Picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent* event) override {
        QFrame::paintEvent(event);
        if (m_picture.isNull()) {
            return;
        }
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(contentsRect(), m_picture);
    }

private:
    QImage m_picture;
};

namespace {

constexpr LanguageKey kTypeNames[] = {
    LanguageKey{"BicycleAttrDlg", "MTBK"}, LanguageKey{"BicycleAttrDlg", "RDBK"},
    LanguageKey{"BicycleAttrDlg", "DHBK"}, LanguageKey{"BicycleAttrDlg", "FDBK"},
    LanguageKey{"BicycleAttrDlg", "TDBK"}, LanguageKey{"BicycleAttrDlg", "RBBK"},
    LanguageKey{"BicycleAttrDlg", "CCBK"}, LanguageKey{"BicycleAttrDlg", "OKBK"},
};

constexpr LanguageKey kFrameNames[kFrameSizes] = {
    LanguageKey{"BicycleAttrDlg", "28IN"}, LanguageKey{"BicycleAttrDlg", "26IN"},
    LanguageKey{"BicycleAttrDlg", "700C"}, LanguageKey{"BicycleAttrDlg", "24IN"},
    LanguageKey{"BicycleAttrDlg", "22IN"}, LanguageKey{"BicycleAttrDlg", "20IN"},
    LanguageKey{"BicycleAttrDlg", "18IN"}, LanguageKey{"BicycleAttrDlg", "16IN"},
    LanguageKey{"BicycleAttrDlg", "14IN"}, LanguageKey{"BicycleAttrDlg", "12IN"},
    LanguageKey{"BicycleAttrDlg", "OTHF"},
};

QDateTime ToPickerTime(int64_t secondsSince1970) {
    const LocalDateTime local = ToLocalDateTime(secondsSince1970);
    return QDateTime(QDate(local.year, local.month, local.day),
                     QTime(local.hour, local.minute, local.second));
}

int32_t FromPickerTime(const QDateTime& picked) {
    const QDate date = picked.date();
    const QTime time = picked.time();
    const int64_t seconds =
        FromLocalDateTime(date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second());
    return static_cast<int32_t>(std::clamp<int64_t>(seconds, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// Typing stops at limit characters, but a stored value shown in the field is
// never cut: a weight of 10.25 must not come back as 10.2 because its text is
// one character longer than the field takes from the keyboard.
void ShowFieldText(QLineEdit* field, const QString& text, int limit) {
    field->setMaxLength(std::max<int>(limit, static_cast<int>(text.size())));
    field->setText(text);
}

QLineEdit* NumberField(QWidget* parent, const char* objectName, int limit, int widthInDigits) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(objectName));
    field->setMaxLength(limit);
    field->setAlignment(Qt::AlignRight);
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QString(widthInDigits, u'0')) + 16);
    return field;
}

}  // namespace

BicycleAttrDlg::BicycleAttrDlg(Mode mode, const BicycleAttribute& record, QWidget* parent)
    : QDialog(parent), m_mode(mode) {
    setObjectName(QStringLiteral("BicycleAttrDlg"));
    if (mode == kModify) {
        DB_CopyBicycle(&m_record, &record);
    }

    m_name = new QComboBox(this);
    m_name->setObjectName(QStringLiteral("name"));
    m_name->setEditable(true);
    m_name->setInsertPolicy(QComboBox::NoInsert);
    m_name->addItem(QString());
    m_name->lineEdit()->setMaxLength(kNameLength);
    m_name->setMinimumWidth(260);

    m_type = new QComboBox(this);
    m_type->setObjectName(QStringLiteral("type"));
    for (const LanguageKey& key : kTypeNames) {
        m_type->addItem(GetLanguageString(key));
    }

    m_weight = NumberField(this, "weight", kWeightLength, 6);
    m_cost = NumberField(this, "cost", kCostLength, 10);
    m_odometer = NumberField(this, "odometer", kOdometerLength, 10);

    m_frame = new QComboBox(this);
    m_frame->setObjectName(QStringLiteral("frame"));
    for (const LanguageKey& key : kFrameNames) {
        m_frame->addItem(GetLanguageString(key));
    }
    m_inches = NumberField(this, "inches", kInchLength, 4);

    m_purchased = new QDateTimeEdit(this);
    m_purchased->setObjectName(QStringLiteral("purchased"));
    m_purchased->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    m_purchased->setCalendarPopup(true);
    m_purchased->setMinimumWidth(m_purchased->fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00")) +
                                 48);
    LimitToPickableDays(m_purchased);

    m_picture = new ThumbnailFrame(this);
    m_picture->setObjectName(QStringLiteral("picture"));
    m_changePicture = new QPushButton(this);
    m_changePicture->setObjectName(QStringLiteral("changePicture"));
    m_changePicture->setAutoDefault(false);
    m_removePicture = new QPushButton(
        GetLanguageStringWithAccelerator("BicycleAttrDlg", "REMP", QStringLiteral("R")), this);
    m_removePicture->setObjectName(QStringLiteral("removePicture"));
    m_removePicture->setAutoDefault(false);

    m_notes = new QPlainTextEdit(this);
    m_notes->setObjectName(QStringLiteral("notes"));
    m_notes->setTabChangesFocus(true);
    m_notes->setMinimumHeight(90);

    m_corner = new LinkLabel(this);
    m_corner->setObjectName(QStringLiteral("corner"));
    m_corner->SetPicture(1, QPixmap(QStringLiteral(":/bicycle_corner.png")), 100, 80);
    m_corner->setFixedSize(100, 80);

    auto* save =
        new QPushButton(GetLanguageStringWithAccelerator("Strings", "SAVE", QStringLiteral("S")), this);
    save->setObjectName(QStringLiteral("save"));
    save->setDefault(true);
    auto* cancel =
        new QPushButton(GetLanguageStringWithAccelerator("Strings", "CANC", QStringLiteral("C")), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    cancel->setAutoDefault(false);

    // Labels, each the buddy of its field so that clicking it focuses the field.
    auto label = [this](const QString& text, QWidget* buddy) {
        auto* made = new QLabel(text, this);
        made->setBuddy(buddy);
        return made;
    };
    m_odometerUnit = new QLabel(GetDistanceUnitWord(), this);
    m_odometerUnit->setObjectName(QStringLiteral("odometerUnit"));

    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(10);
    fields->setVerticalSpacing(8);
    int row = 0;
    fields->addWidget(label(GetLanguageStringWithColon("BicycleAttrDlg", "NAME"), m_name), row, 0);
    fields->addWidget(m_name, row++, 1, 1, 3);
    fields->addWidget(label(GetLanguageStringWithColon("BicycleAttrDlg", "TYPE"), m_type), row, 0);
    fields->addWidget(m_type, row++, 1, 1, 3, Qt::AlignLeft);

    auto* weightRow = new QHBoxLayout;
    weightRow->setSpacing(6);
    weightRow->addWidget(m_weight);
    weightRow->addWidget(new QLabel(GetLanguageString("BicycleAttrDlg", "KILO"), this));
    weightRow->addStretch(1);
    fields->addWidget(label(GetLanguageStringWithColon("BicycleAttrDlg", "WEIG"), m_weight), row, 0);
    fields->addLayout(weightRow, row++, 1, 1, 3);

    fields->addWidget(label(GetLanguageStringWithColon("Strings", "COST"), m_cost), row, 0);
    fields->addWidget(m_cost, row++, 1, 1, 3, Qt::AlignLeft);

    auto* frameRow = new QHBoxLayout;
    frameRow->setSpacing(6);
    frameRow->addWidget(m_frame);
    frameRow->addSpacing(4);
    frameRow->addWidget(m_inches);
    frameRow->addWidget(new QLabel(GetLanguageString("BicycleAttrDlg", "INCH"), this));
    frameRow->addStretch(1);
    fields->addWidget(label(GetLanguageStringWithColon("BicycleAttrDlg", "FRAM"), m_frame), row, 0);
    fields->addLayout(frameRow, row++, 1, 1, 3);

    fields->addWidget(label(GetLanguageStringWithColon("BicycleAttrDlg", "PURD"), m_purchased), row, 0);
    fields->addWidget(m_purchased, row++, 1, 1, 3, Qt::AlignLeft);

    auto* odometerRow = new QHBoxLayout;
    odometerRow->setSpacing(6);
    odometerRow->addWidget(m_odometer);
    odometerRow->addWidget(m_odometerUnit);
    odometerRow->addStretch(1);
    fields->addWidget(label(GetLanguageStringWithColon("BicycleAttrDlg", "PREO"), m_odometer), row, 0);
    fields->addLayout(odometerRow, row++, 1, 1, 3);

    auto* pictureButtons = new QVBoxLayout;
    pictureButtons->addWidget(m_changePicture);
    pictureButtons->addWidget(m_removePicture);
    pictureButtons->addStretch(1);
    auto* pictureRow = new QHBoxLayout;
    pictureRow->addWidget(m_picture);
    pictureRow->addSpacing(6);
    pictureRow->addLayout(pictureButtons);
    pictureRow->addStretch(1);
    auto* pictureLabel = label(GetLanguageStringWithColon("BicycleAttrDlg", "PICT"), m_changePicture);
    fields->addWidget(pictureLabel, row, 0, Qt::AlignTop);
    fields->addLayout(pictureRow, row++, 1, 1, 3);

    auto* notesLabel = label(GetLanguageStringWithColon("Strings", "MEMO"), m_notes);
    fields->addWidget(notesLabel, row, 0, Qt::AlignTop);
    fields->addWidget(m_notes, row++, 1, 1, 3);
    fields->setColumnStretch(3, 1);
    fields->setRowStretch(row - 1, 1);

    auto* top = new QHBoxLayout;
    top->addLayout(fields, 1);
    auto* cornerColumn = new QVBoxLayout;
    cornerColumn->addWidget(m_corner);
    cornerColumn->addStretch(1);
    top->addLayout(cornerColumn);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(save);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 12);
    layout->addLayout(top, 1);
    layout->addSpacing(6);
    layout->addLayout(buttons);

    // Tab walks the rows from top to bottom, whatever order the fields were made in.
    QWidget* const rows[] = {m_name,   m_type,      m_weight,   m_cost,          m_frame,
                             m_inches, m_purchased, m_odometer, m_changePicture, m_removePicture,
                             m_notes,  save,        cancel};
    for (size_t i = 1; i < std::size(rows); ++i) {
        setTabOrder(rows[i - 1], rows[i]);
    }

    // The opening order: lists and their first choice, then the record.
    m_frame->setCurrentIndex(kDefaultFramePosition);
    m_type->setCurrentIndex(0);
    m_inches->setEnabled(false);
    if (mode == kNew) {
        setWindowTitle(GetLanguageString("Strings", "NWBC"));
        m_purchased->setDateTime(ToPickerTime(CurrentTime()));
    } else {
        setWindowTitle(GetLanguageString("Strings", "MDBC"));
        ShowRecord();
    }
    ShowPicture();
    m_name->setFocus();

    connect(m_frame, &QComboBox::currentIndexChanged, this, &BicycleAttrDlg::OnFrameChanged);
    connect(m_notes, &QPlainTextEdit::textChanged, this, &BicycleAttrDlg::OnNotesChanged);
    connect(m_changePicture, &QPushButton::clicked, this, &BicycleAttrDlg::OnChangePicture);
    connect(m_removePicture, &QPushButton::clicked, this, &BicycleAttrDlg::OnRemovePicture);
    connect(save, &QPushButton::clicked, this, &BicycleAttrDlg::OnSave);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

BicycleAttrDlg::~BicycleAttrDlg() = default;

void BicycleAttrDlg::ShowRecord() {
    if (!m_record.BicycleName.empty()) {
        m_name->setEditText(FromTextBlock(m_record.BicycleName));
    }
    // A type beyond the list is shown, and kept, as "other".
    const int lastType = static_cast<int>(std::size(kTypeNames)) - 1;
    m_type->setCurrentIndex(m_record.Type >= 0 && m_record.Type <= lastType ? m_record.Type : lastType);
    ShowFieldText(m_weight, FormatNumber(m_record.Weight), kWeightLength);

    const FrameChoice frame = FrameChoiceFor(m_record.Frame);
    m_frame->setCurrentIndex(frame.position);
    ShowFieldText(m_inches, frame.inches, kInchLength);
    m_inches->setEnabled(frame.position == kOtherFramePosition);

    ShowFieldText(m_cost, FormatNumber(m_record.Cost), kCostLength);
    m_purchased->setDateTime(ToPickerTime(m_record.DatePurchased));
    ShowFieldText(m_odometer, FormatNumber(FromKilometres(m_record.PreviousODO)), kOdometerLength);
    if (!m_record.Memo.empty()) {
        m_notes->setPlainText(FromTextBlock(m_record.Memo).left(kNotesLength));
    }
}

void BicycleAttrDlg::ShowPicture() {
    const bool present = !m_record.PictureData.empty();
    m_changePicture->setText(
        present ? GetLanguageStringWithAccelerator("BicycleAttrDlg", "CHGP", QStringLiteral("P"))
                : GetLanguageStringWithAccelerator("BicycleAttrDlg", "SELP", QStringLiteral("P")));
    m_removePicture->setEnabled(present);
    m_picture->SetPicture(DecodeThumbnail(m_record.PictureData));
}

void BicycleAttrDlg::OnFrameChanged(int position) {
    m_inches->setEnabled(position == kOtherFramePosition);
}

void BicycleAttrDlg::OnNotesChanged() {
    // A plain text edit has no length limit of its own; cut what goes beyond
    // it, as typing or pasting into a limited field would.
    if (m_notes->document()->characterCount() - 1 <= kNotesLength) {
        return;
    }
    QTextCursor cursor(m_notes->document());
    cursor.setPosition(kNotesLength);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

void BicycleAttrDlg::OnChangePicture() {
    const QString thumbnail = ThumbnailPath();
    QFile::remove(thumbnail);
    const QString source =
        AppDialogs().GetOpenFileName(this, GetLanguageString("BicycleAttrDlg", "PICT"), m_pictureSource,
                                     GetLanguageString("BicycleAttrDlg", "BTMF"));
    if (source.isEmpty()) {
        return;
    }
    m_pictureSource = source;

    const ConverterCommand command = ThumbnailCommand(source, thumbnail);
    const ConverterRun run = RunConverter(this, command);
    if (run.end == ConverterEnd::Cancelled) {
        return;  // the picture stays as it was
    }
    if (run.end == ConverterEnd::NotStarted) {
        AppDialogs().MessageBox(this, QStringLiteral("CreateProcess() error:%1").arg(run.systemError),
                                QLatin1String(kProductName), MessageIcon::Error);
    }

    ByteBlock().swap(m_record.PictureData);
    QFile file(thumbnail);
    if (command.format == PictureFormat::None) {
        ShowFailure(this, GetLanguageString("ErrorStrings", "LDPT"),
                    GetLanguageString("FailureReasons", "NPIC"));
    } else if (!file.open(QIODevice::ReadOnly)) {
        // The converter ran (or could not, as said above) and left no thumbnail.
        ShowFailure(
            this, GetLanguageString("ErrorStrings", "LDPT"),
            run.end == ConverterEnd::NotStarted ? QString() : GetLanguageString("FailureReasons", "CONV"));
    } else {
        const QByteArray bytes = file.readAll();
        m_record.PictureData.assign(bytes.begin(), bytes.end());
    }
    ShowPicture();
}

void BicycleAttrDlg::OnRemovePicture() {
    ByteBlock().swap(m_record.PictureData);
    ShowPicture();
}

void BicycleAttrDlg::OnSave() {
    const QString name = m_name->currentText();
    if (name.isEmpty()) {
        ShowError(this, GetLanguageString("ErrorStrings", "INBN"));
        m_name->setFocus();
        return;
    }
    const std::optional<double> weight =
        TakeNumberField(this, m_weight, GetLanguageString("BicycleAttrDlg", "WEIG"), NumberKind::Decimal,
                        GetLanguageString("BicycleAttrDlg", "KILO"));
    if (!weight) {
        return;
    }
    const std::optional<double> cost =
        TakeNumberField(this, m_cost, GetLanguageString("Strings", "COST"), NumberKind::Decimal);
    if (!cost) {
        return;
    }
    // The inch field counts only for "another size"; otherwise it is disabled and ignored.
    std::optional<int> inches = 0;
    if (m_frame->currentIndex() == kOtherFramePosition) {
        inches = TakeWholeNumberField(this, m_inches, GetLanguageString("BicycleAttrDlg", "FRAM"),
                                      GetLanguageString("BicycleAttrDlg", "INCH"));
        if (!inches) {
            return;
        }
    }
    const std::optional<double> odometer =
        TakeNumberField(this, m_odometer, GetLanguageString("BicycleAttrDlg", "PREO"), NumberKind::Decimal,
                        GetDistanceUnitWord());
    if (!odometer) {
        return;
    }
    BicycleAttribute edited;
    DB_CopyBicycle(&edited, &m_record);
    try {
        edited.BicycleName = ToTextBlock(name);
        edited.Memo = ToTextBlock(m_notes->toPlainText());
    } catch (const std::bad_alloc&) {
        ShowError(this, GetLanguageString("ErrorStrings", "NOME"));
        return;
    }
    edited.Type = m_type->currentIndex();
    edited.Weight = *weight;
    edited.Frame = FrameFromChoice(m_frame->currentIndex(), *inches);
    edited.Cost = *cost;
    edited.DatePurchased = FromPickerTime(m_purchased->dateTime());
    edited.PreviousODO = ToKilometres(*odometer);
    if (m_store && !m_store(edited)) {
        ShowStoreFailure(this, GetLanguageString("ErrorStrings", "STDB"));
        return;
    }
    m_record = std::move(edited);
    accept();
}
