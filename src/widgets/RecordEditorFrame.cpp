#include "widgets/RecordEditorFrame.h"

#include "language/Language.h"
#include "memo/HtmlView.h"
#include "memo/MemoDocument.h"
#include "memo/MemoEditor.h"
#include "platform/Dialogs.h"
#include "platform/Failure.h"
#include "platform/Files.h"
#include "units/Clock.h"
#include "widgets/DayPickers.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

namespace {
// The memo fills the dialog but for these margins; the fields sit above it.
constexpr int kMemoTop = 110;
constexpr int kFieldAreaHeight = 82;
constexpr int kMemoBottom = 35;
constexpr int kSide = 10;
constexpr int kButtonsAboveBottom = 30;
constexpr int kButtonGap = 5;
}  // namespace

RecordEditorFrame::RecordEditorFrame(RecordKind kind, bool newRecord, QWidget* parent)
    : QDialog(parent),
      m_kind(kind),
      m_newRecord(newRecord),
      m_memo(new MemoEditor(this)),
      m_fieldArea(new QWidget(this)),
      m_memoLabel(new QLabel(this)),
      m_previous(new QPushButton(this)),
      m_save(new QPushButton(this)),
      m_cancel(new QPushButton(this)),
      m_next(new QPushButton(this)),
      m_date(new QDateTimeEdit(m_fieldArea)),
      m_bicycle(new QComboBox(m_fieldArea)) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);
    // The title names what is edited: "New ride", "Modify maintenance entry".
    const bool ride = kind == RecordKind::Ride;
    const LanguageKey title = newRecord
                                  ? (ride ? LanguageKey{"Strings", "NWRD"} : LanguageKey{"Strings", "NWMT"})
                                  : (ride ? LanguageKey{"Strings", "MDRD"} : LanguageKey{"Strings", "MDMT"});
    setWindowTitle(GetLanguageString(title));

    m_fieldArea->setObjectName(QStringLiteral("fields"));
    m_memoLabel->setText(GetLanguageStringWithColon("Strings", "MEMO"));
    m_previous->setObjectName(QStringLiteral("previous"));
    m_save->setObjectName(QStringLiteral("save"));
    m_cancel->setObjectName(QStringLiteral("cancel"));
    m_next->setObjectName(QStringLiteral("next"));
    m_previous->setText(GetLanguageStringWithAccelerator("Strings", "PRER", QStringLiteral("P")));
    m_save->setText(GetLanguageStringWithAccelerator("Strings", "SAVE", QStringLiteral("S")));
    m_cancel->setText(GetLanguageStringWithAccelerator("Strings", "CANC", QStringLiteral("C")));
    m_next->setText(GetLanguageStringWithAccelerator("Strings", "NXTR", QStringLiteral("N")));
    for (QPushButton* button : {m_previous, m_save, m_cancel, m_next}) {
        button->setAutoDefault(false);
        button->resize(button->sizeHint().expandedTo(QSize(96, 26)));
    }
    m_save->setDefault(true);
    SetNeighbours(false, false);

    connect(m_previous, &QPushButton::clicked, this, [this] { (void)LeaveWith(kEditorPrevious); });
    connect(m_next, &QPushButton::clicked, this, [this] { (void)LeaveWith(kEditorNext); });
    connect(m_save, &QPushButton::clicked, this, &RecordEditorFrame::OnSave);
    connect(m_cancel, &QPushButton::clicked, this, &RecordEditorFrame::OnCancel);

    m_date->setObjectName(QStringLiteral("date"));
    m_date->setDisplayFormat(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    m_date->setCalendarPopup(true);
    m_date->setTimeSpec(Qt::LocalTime);
    LimitToPickableDays(m_date);
    if (newRecord) {
        m_date->setDateTime(QDateTime::fromSecsSinceEpoch(CurrentTime()));
    }
    m_bicycle->setObjectName(QStringLiteral("bicycle"));
    m_bicycle->setMinimumWidth(200);

    setMinimumSize(560, 420);
    resize(760, 600);
    LayOut();
}

RecordEditorFrame::~RecordEditorFrame() = default;

void RecordEditorFrame::OpenMemoFolder(int number, const QString& storedMemoText) {
    m_folder = RecordMemoFolder(m_kind, number);
    if (m_newRecord) {
        DeleteFolder(m_folder);
        QDir().mkpath(m_folder);
    } else {
        QDir().mkpath(m_folder);
        if (!QFileInfo::exists(MemoDocumentPath(m_folder))) {
            (void)StartMemoFromPlainText(m_folder, storedMemoText);
        }
    }
    if (!m_memo->OpenDocument(m_folder)) {
        // The memo stays as it is on disk and in the record; the other
        // fields can still be changed and saved.
        ShowFailure(this, GetLanguageString("ErrorStrings", "OPMM"),
                    SystemFailureReason(m_memo->LastDocumentError()));
    }
}

void RecordEditorFrame::SetNeighbours(bool hasPrevious, bool hasNext) {
    m_previous->setVisible(!m_newRecord);
    m_next->setVisible(!m_newRecord);
    m_previous->setEnabled(!m_newRecord && hasPrevious);
    m_next->setEnabled(!m_newRecord && hasNext);
}

void RecordEditorFrame::OfferBicycles(const BicycleList& bicycles, int preselected) {
    for (const BicycleAttribute& bicycle : bicycles) {
        m_bicycle->addItem(FromTextBlock(bicycle.BicycleName), bicycle.BicycleNumber);
    }
    m_bicycle->setCurrentIndex(preselected >= 0 && preselected < m_bicycle->count() ? preselected : -1);
}

void RecordEditorFrame::ShowDateAndBicycle(int64_t date, int32_t bicycleNumber) {
    const QDateTime stored = QDateTime::fromSecsSinceEpoch(date);
    m_date->setDateTimeRange(std::min(m_date->minimumDateTime(), stored),
                             std::max(m_date->maximumDateTime(), stored));
    m_date->setDateTime(stored);
    m_shownDate = m_date->dateTime();
    const int bicycle = m_bicycle->findData(bicycleNumber);
    if (bicycle >= 0) {
        m_bicycle->setCurrentIndex(bicycle);
    }
}

bool RecordEditorFrame::TakeBicycle(int32_t* number) {
    if (m_bicycle->currentIndex() < 0) {
        ShowError(this, GetLanguageString("ErrorStrings", "SELB"));
        m_bicycle->setFocus();
        return false;
    }
    *number = m_bicycle->currentData().toInt();
    return true;
}

void RecordEditorFrame::TakeDate(int32_t* date) const {
    if (m_newRecord || m_date->dateTime() != m_shownDate) {
        *date = static_cast<int32_t>(m_date->dateTime().toSecsSinceEpoch());
    }
}

void RecordEditorFrame::ShowField(QLineEdit* field, const QString& text) {
    field->setText(text);
    m_shownFields.insert(field, field->text());
}

bool RecordEditorFrame::FieldChanged(const QLineEdit* field) const {
    const auto shown = m_shownFields.constFind(field);
    return m_newRecord || shown == m_shownFields.constEnd() || field->text() != *shown;
}

void RecordEditorFrame::RememberOpeningState() {
    m_openingDate = m_date->dateTime();
    m_openingBicycle = m_bicycle->currentIndex();
    m_openingTexts.clear();
    for (const QLineEdit* field : m_fieldArea->findChildren<QLineEdit*>()) {
        // The date and bicycle fields hold line edits of their own.
        if (!m_date->isAncestorOf(field) && !m_bicycle->isAncestorOf(field)) {
            m_openingTexts.insert(field, field->text());
        }
    }
    // The editor's own choices (the bicycle is measured above).
    m_openingChoices.clear();
    for (const QComboBox* choice : m_fieldArea->findChildren<QComboBox*>()) {
        if (choice != m_bicycle && !m_date->isAncestorOf(choice)) {
            m_openingChoices.insert(choice, choice->currentIndex());
        }
    }
}

bool RecordEditorFrame::HasChanges() const {
    if (m_date->dateTime() != m_openingDate || m_bicycle->currentIndex() != m_openingBicycle) {
        return true;
    }
    for (auto field = m_openingTexts.constBegin(); field != m_openingTexts.constEnd(); ++field) {
        if (field.key()->text() != field.value()) {
            return true;
        }
    }
    for (auto choice = m_openingChoices.constBegin(); choice != m_openingChoices.constEnd(); ++choice) {
        if (choice.key()->currentIndex() != choice.value()) {
            return true;
        }
    }
    return m_memo->IsModified();
}

bool RecordEditorFrame::LeaveWith(int result) {
    if (HasChanges()) {
        switch (AskSaveChanges(this)) {
            case SaveChoice::Cancel:
                return false;
            case SaveChoice::Save:
                if (!SaveRecord()) {
                    return false;
                }
                if (result == kEditorCancelled) {
                    result = kEditorSaved;
                } else {
                    m_savedBeforeStepping = true;
                }
                break;
            case SaveChoice::Discard:
                break;
        }
    }
    if (result == kEditorCancelled) {
        OnCancel();
    } else {
        done(result);
    }
    return true;
}

bool RecordEditorFrame::SaveRecord() {
    if (!CommitFields()) {
        return false;
    }
    // A memo that could not be opened is neither written nor copied into the
    // record: both keep what they held.
    if (m_memo->HoldsDocument()) {
        CommitMemoText(m_memo->GetMemoText());
        if (!m_memo->SaveDocument()) {
            ShowFailure(this, GetLanguageString("ErrorStrings", "STDB"),
                        SystemFailureReason(m_memo->LastDocumentError()));
            return false;
        }
    }
    if (!StoreRecord()) {
        ShowStoreFailure(this, GetLanguageString("ErrorStrings", "STDB"));
        return false;
    }
    return true;
}

bool RecordEditorFrame::StoreRecord() {
    return !m_store || m_store();
}

void RecordEditorFrame::SetFieldAreaHeight(int height) {
    m_fieldAreaHeight = height;
    LayOut();
}

void RecordEditorFrame::OnSave() {
    if (SaveRecord()) {
        done(kEditorSaved);
    }
}

void RecordEditorFrame::OnCancel() {
    if (m_newRecord && !m_folder.isEmpty()) {
        // The view lets go of the document before its folder goes.
        m_memo->View()->Navigate(QStringLiteral("about:blank"));
        DeleteFolder(m_folder);
    }
    done(kEditorCancelled);
}

void RecordEditorFrame::reject() {
    (void)LeaveWith(kEditorCancelled);
}

void RecordEditorFrame::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    LayOut();
}

void RecordEditorFrame::LayOut() {
    const QRect client = rect();
    // The memo and its label keep their distance below the fields.
    const int below = m_fieldAreaHeight - kFieldAreaHeight;
    m_fieldArea->setGeometry(kSide, 6, client.width() - 2 * kSide, m_fieldAreaHeight);
    m_memoLabel->setGeometry(kSide, 90 + below, client.width() - 2 * kSide, 18);
    m_memo->setGeometry(QRect(QPoint(kSide, kMemoTop + below),
                              QPoint(client.width() - kSide - 1, client.height() - kMemoBottom - 1)));
    const int top = client.height() - kButtonsAboveBottom;
    const int centre = client.width() / 2;
    m_previous->move(kSide, top);
    m_save->move(centre - kButtonGap - m_save->width(), top);
    m_cancel->move(centre + kButtonGap, top);
    m_next->move(client.width() - kSide - m_next->width(), top);
}
