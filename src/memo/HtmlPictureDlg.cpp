#include "memo/HtmlPictureDlg.h"

#include "language/Language.h"
#include "memo/MemoDocument.h"
#include "platform/Dialogs.h"
#include "platform/ModalRun.h"
#include "platform/NumberField.h"
#include "units/ProductInfo.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>
#include <QVBoxLayout>
#include <cmath>

namespace {
// Five digits are plenty for a picture on screen and keep the number in range.
constexpr int kMaxSizeDigits = 5;
constexpr long long kLargestSide = 99999;
constexpr char kPictureFilter[] =
    "*.JPG,*.JPEG (*.jpg *.jpeg);;*.GIF (*.gif);;*.PNG (*.png);;*.BMP (*.bmp);;*.* (*)";
}  // namespace

QString BuildPictureMarkup(const QString& fileName, int sizeMode, int width, int height) {
    const QString widthPart =
        sizeMode == 1 ? QStringLiteral(" width=\"%1\" ").arg(width) : QStringLiteral(" ");
    const QString heightPart =
        sizeMode == 1 ? QStringLiteral(" height=\"%1\" ").arg(height) : QStringLiteral(" ");
    // Escaped so that names such as "a&amp;b.png" or "100%.png" still lead
    // to their file once the markup is read back.
    return QStringLiteral("<img src=\"") + PictureReferenceInMarkup(fileName) + QStringLiteral("\" ") +
           widthPart + QStringLiteral(" ") + heightPart + QStringLiteral(">");
}

HtmlPictureDlg::HtmlPictureDlg(const PictureRequest& request, QWidget* parent)
    : QDialog(parent), m_request(request) {
    setObjectName(QStringLiteral("HtmlPictureDlg"));
    setWindowTitle(request.mode == PictureMode::New ? GetLanguageString("HtmlPictureDlg", "NEWS")
                                                    : GetLanguageString("HtmlPictureDlg", "MODF"));

    auto* fileLabel = new QLabel(GetLanguageStringWithColon("HtmlPictureDlg", "FILE"), this);
    m_filePath = new QLineEdit(this);
    m_filePath->setObjectName(QStringLiteral("filePath"));
    m_filePath->setMinimumWidth(320);
    fileLabel->setBuddy(m_filePath);
    auto* browse = new QPushButton(QStringLiteral("..."), this);
    browse->setObjectName(QStringLiteral("browse"));
    browse->setAutoDefault(false);
    browse->setFixedWidth(browse->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);

    auto* sizeGroup = new QGroupBox(GetLanguageString("HtmlPictureDlg", "SIZE"), this);
    m_originalSize = new QRadioButton(GetLanguageString("HtmlPictureDlg", "ORIG"), sizeGroup);
    m_originalSize->setObjectName(QStringLiteral("originalSize"));
    m_resize = new QRadioButton(GetLanguageString("HtmlPictureDlg", "RESZ"), sizeGroup);
    m_resize->setObjectName(QStringLiteral("resize"));
    auto* modes = new QButtonGroup(this);
    modes->addButton(m_originalSize, 0);
    modes->addButton(m_resize, 1);

    m_width = new QLineEdit(sizeGroup);
    m_width->setObjectName(QStringLiteral("width"));
    m_height = new QLineEdit(sizeGroup);
    m_height->setObjectName(QStringLiteral("height"));
    for (QLineEdit* field : {m_width, m_height}) {
        field->setMaxLength(kMaxSizeDigits);
        field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
    }
    auto* widthLabel = new QLabel(GetLanguageStringWithColon("HtmlPictureDlg", "WIDT"), sizeGroup);
    widthLabel->setBuddy(m_width);
    auto* heightLabel = new QLabel(GetLanguageStringWithColon("HtmlPictureDlg", "HEIG"), sizeGroup);
    heightLabel->setBuddy(m_height);

    m_confirm =
        new QPushButton(GetLanguageStringWithAccelerator("Strings", "CONF", QStringLiteral("O")), this);
    m_confirm->setObjectName(QStringLiteral("confirm"));
    m_confirm->setDefault(true);
    auto* cancel =
        new QPushButton(GetLanguageStringWithAccelerator("Strings", "CANC", QStringLiteral("C")), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    cancel->setAutoDefault(false);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_filePath, 1);
    fileRow->addWidget(browse);

    auto* sizeLayout = new QGridLayout(sizeGroup);
    sizeLayout->addWidget(m_originalSize, 0, 0, 1, 2);
    sizeLayout->addWidget(m_resize, 0, 2, 1, 2);
    sizeLayout->addWidget(widthLabel, 1, 0);
    sizeLayout->addWidget(m_width, 1, 1);
    sizeLayout->addWidget(heightLabel, 1, 2);
    sizeLayout->addWidget(m_height, 1, 3);
    sizeLayout->setColumnStretch(4, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_confirm);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fileLabel);
    layout->addLayout(fileRow);
    layout->addSpacing(4);
    layout->addWidget(sizeGroup);
    layout->addSpacing(4);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    if (request.mode == PictureMode::Modify) {
        m_filePath->setText(request.filePath);
        m_width->setText(QString::number(request.width));
        m_height->setText(QString::number(request.height));
    }
    (request.mode == PictureMode::Modify && request.sizeMode == 1 ? m_resize : m_originalSize)
        ->setChecked(true);
    OnSizeModeChanged();
    m_filePath->setFocus();

    connect(browse, &QPushButton::clicked, this, &HtmlPictureDlg::OnBrowse);
    connect(m_originalSize, &QRadioButton::toggled, this, &HtmlPictureDlg::OnSizeModeChanged);
    connect(m_confirm, &QPushButton::clicked, this, &HtmlPictureDlg::OnConfirm);
    connect(m_width, &QLineEdit::textEdited, this, [this] { OnSideEdited(m_width); });
    connect(m_height, &QLineEdit::textEdited, this, [this] { OnSideEdited(m_height); });
    connect(cancel, &QPushButton::clicked, this, &HtmlPictureDlg::reject);
}

void HtmlPictureDlg::OnBrowse() {
    const QString path = AppDialogs().GetOpenFileName(this, GetLanguageString("HtmlPictureDlg", "FILE"),
                                                      m_filePath->text(), QLatin1String(kPictureFilter));
    if (!path.isEmpty()) {
        m_filePath->setText(path);
    }
}

void HtmlPictureDlg::OnSizeModeChanged() {
    const bool resize = m_resize->isChecked();
    m_width->setEnabled(resize);
    m_height->setEnabled(resize);
}

QSize HtmlPictureDlg::Proportions() {
    QString path = m_filePath->text().trimmed();
    const QUrl url(path);
    if (url.isLocalFile()) {
        path = url.toLocalFile();
    }
    if (path != m_sizePath) {
        m_sizePath = path;
        m_pictureSize = path.isEmpty() ? QSize() : QImageReader(path).size();
    }
    if (m_pictureSize.width() > 0 && m_pictureSize.height() > 0) {
        return m_pictureSize;
    }
    if (m_request.mode == PictureMode::Modify && m_request.width > 0 && m_request.height > 0) {
        return QSize(m_request.width, m_request.height);
    }
    return {};
}

void HtmlPictureDlg::OnSideEdited(QLineEdit* typed) {
    const bool widthTyped = typed == m_width;
    QLineEdit* other = widthTyped ? m_height : m_width;
    bool& typedByRider = widthTyped ? m_widthTyped : m_heightTyped;
    bool& otherByRider = widthTyped ? m_heightTyped : m_widthTyped;
    typedByRider = !typed->text().trimmed().isEmpty();
    if (otherByRider && !other->text().trimmed().isEmpty()) {
        return;  // both sides are the rider's: a picture may be drawn out of shape on purpose
    }
    otherByRider = false;
    bool isNumber = false;
    const int side = typed->text().trimmed().toInt(&isNumber);
    const QSize proportions = Proportions();
    if (!isNumber || side <= 0 || proportions.isEmpty()) {
        if (!typedByRider) {
            other->clear();  // nothing left to follow
        }
        return;
    }
    const double ratio = widthTyped ? static_cast<double>(proportions.height()) / proportions.width()
                                    : static_cast<double>(proportions.width()) / proportions.height();
    const long long filled = std::max(1LL, std::llround(side * ratio));
    // Beyond what the field holds the rider's own figure is needed.
    other->setText(filled > kLargestSide ? QString() : QString::number(filled));
}

void HtmlPictureDlg::OnConfirm() {
    const QString path = m_filePath->text();
    if (path.isEmpty()) {
        AppDialogs().MessageBox(this, QString(), QLatin1String(kProductName), MessageIcon::None, kButtonOk);
        m_filePath->setFocus();
        return;
    }
    PictureRequest confirmed = m_request;
    confirmed.filePath = path;
    if (m_originalSize->isChecked()) {
        confirmed.sizeMode = 0;
    } else {
        confirmed.sizeMode = 1;
        // A side of 0 would make the picture invisible, and with it the
        // double-click that could size it again; treat it like an empty field.
        const std::optional<int> width =
            TakeWholeNumberField(this, m_width, GetLanguageString("HtmlPictureDlg", "WIDT"));
        if (!width) {
            return;
        }
        if (*width <= 0) {
            m_width->setFocus();
            return;
        }
        const std::optional<int> height =
            TakeWholeNumberField(this, m_height, GetLanguageString("HtmlPictureDlg", "HEIG"));
        if (!height) {
            return;
        }
        if (*height <= 0) {
            m_height->setFocus();
            return;
        }
        confirmed.width = *width;
        confirmed.height = *height;
    }
    m_request = confirmed;
    accept();
}

bool RunPictureDialog(QWidget* parent, PictureRequest& request) {
    GuardedModal dialog(new HtmlPictureDlg(request, parent));
    if (!dialog.Exec()) {
        return false;
    }
    request = dialog->Request();
    return true;
}
