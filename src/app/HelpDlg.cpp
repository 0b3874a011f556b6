#include "app/HelpDlg.h"

#include "language/Language.h"
#include "platform/Dialogs.h"
#include "platform/Shell.h"
#include "units/ProductInfo.h"
#include "units/Units.h"
#include "widgets/ImageButton.h"
#include "widgets/LinkLabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

constexpr int kIconPicture = 147;
constexpr int kIconSize = 32;

QString ProductTitle() {
    return QString::fromLatin1(kProductName) + u' ' + QString::fromLatin1(kProductVersion);
}

// The components the program is built on: the sentence, in the rider's
// language, and the project's address, as they stand in the about box.
struct Component {
    LanguageKey sentence;
    const char* address;
};
constexpr Component kComponents[] = {
    {LanguageKey{"HelpDlg", "USQL"}, "https://www.sqlite.org/"},
    {LanguageKey{"HelpDlg", "UIMG"}, "https://imagemagick.org/"},
    {LanguageKey{"HelpDlg", "UQTC"}, "https://www.qt.io/"},
    {LanguageKey{"HelpDlg", "UARC"}, "https://www.libarchive.org/"},
    {LanguageKey{"HelpDlg", "UEXP"}, "https://libexpat.github.io/"},
};

}  // namespace

QString BuildAboutText() {
    QString text;
    text += ProductTitle() + u'\n';
    text += GetLanguageString("HelpDlg", "DESC") + u'\n';
    text += QString::fromLatin1(kProductHomePage) + u'\n';
    for (const Component& component : kComponents) {
        text += u'\n';
        text += GetLanguageString(component.sentence) + u'\n';
        text += QString::fromLatin1(component.address) + u'\n';
    }
    return text;
}

HelpDlg::HelpDlg(LinkLabel& statusLine, QWidget* parent)
    : TabPage(statusLine, parent),
      m_icon(new LinkLabel(this)),
      m_title(new LinkLabel(this)),
      m_viewHelp(new ImageButton(this)),
      m_tagline(new QLabel(this)),
      m_picture(new QLabel(this)),
      m_aboutBox(new QPlainTextEdit(this)) {
    setObjectName(QStringLiteral("HelpDlg"));
    m_icon->setObjectName(QStringLiteral("HelpIcon"));
    m_title->setObjectName(QStringLiteral("HelpTitle"));
    m_viewHelp->setObjectName(QStringLiteral("ViewHelp"));
    m_tagline->setObjectName(QStringLiteral("HelpTagline"));
    m_picture->setObjectName(QStringLiteral("HelpPicture"));
    m_aboutBox->setObjectName(QStringLiteral("AboutText"));

    m_icon->SetPicture(kIconPicture, QPixmap(QStringLiteral(":/app_icon_32.png")), kIconSize, kIconSize);
    m_icon->setFixedSize(kIconSize, kIconSize);

    QFont titleFont = m_title->font();
    titleFont.setPixelSize(22);
    titleFont.setBold(true);
    m_title->setFont(titleFont);
    m_title->setMinimumHeight(QFontMetrics(titleFont).height());

    QPalette muted = m_tagline->palette();
    muted.setColor(QPalette::WindowText, QColor(0x1B, 0x7F, 0x8C));
    m_tagline->setPalette(muted);

    m_picture->setPixmap(QPixmap(QStringLiteral(":/about_picture.png")));
    m_picture->setFixedSize(160, 80);

    m_viewHelp->setFixedHeight(34);
    connect(m_viewHelp, &QPushButton::clicked, this, &HelpDlg::OnViewHelp);

    // The about box is for reading and copying from: no caret, no typing, and
    // should anything change its text all the same, the about text comes back
    // at once.
    m_aboutBox->setReadOnly(true);
    m_aboutBox->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_aboutBox->setFrameShape(QFrame::StyledPanel);
    m_aboutBox->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_aboutBox->document()->setDocumentMargin(10);
    QPalette paper = m_aboutBox->palette();
    paper.setColor(QPalette::Base, QColor(0xF7, 0xFB, 0xFB));
    m_aboutBox->setPalette(paper);
    m_aboutBox->setMaximumWidth(640);
    connect(m_aboutBox, &QPlainTextEdit::textChanged, this, &HelpDlg::KeepAboutText);

    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    titles->addStretch(1);
    titles->addWidget(m_title);
    titles->addWidget(m_tagline);
    titles->addStretch(1);

    auto* header = new QHBoxLayout;
    header->setSpacing(12);
    header->addWidget(m_icon, 0, Qt::AlignVCenter);
    header->addLayout(titles);
    header->addStretch(1);
    header->addWidget(m_picture, 0, Qt::AlignTop);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_viewHelp);
    buttons->addStretch(1);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(20, 16, 20, 16);
    page->setSpacing(14);
    page->addLayout(header);
    page->addWidget(m_aboutBox);
    page->addLayout(buttons);
    page->addStretch(1);

    RefreshCaptions();
    StatusLine().SetText(QStringLiteral(" "));
}

void HelpDlg::RefreshCaptions() {
    m_viewHelp->setText(GetLanguageString("HelpDlg", "HELP"));
    m_viewHelp->setFixedWidth(qMax(130, m_viewHelp->sizeHint().width()));
    m_tagline->setText(GetLanguageString("HelpDlg", "DESC"));
    // The about text holds a language text too.
    FillPage();
}

QString HelpDlg::HelpDocumentPath() {
    return GetProgramDirectory() + QStringLiteral("/help/index.html");
}

void HelpDlg::showEvent(QShowEvent* event) {
    TabPage::showEvent(event);
    StatusLine().SetText(QStringLiteral(" "));
    FillPage();
}

void HelpDlg::FillPage() {
    m_title->SetText(ProductTitle());
    m_aboutText = BuildAboutText();
    if (m_aboutBox->toPlainText() != m_aboutText) {
        const QSignalBlocker quiet(m_aboutBox);
        m_aboutBox->setPlainText(m_aboutText);
    }
    // Tall enough for the whole text, so it reads as a block rather than an
    // empty input field.
    const int lines = static_cast<int>(m_aboutText.count(u'\n')) + 2;
    const int margins =
        2 * (static_cast<int>(m_aboutBox->document()->documentMargin()) + m_aboutBox->frameWidth());
    m_aboutBox->setFixedHeight(lines * m_aboutBox->fontMetrics().lineSpacing() + margins);
}

void HelpDlg::KeepAboutText() {
    if (m_aboutBox->toPlainText() == m_aboutText) {
        return;
    }
    const QSignalBlocker quiet(m_aboutBox);
    m_aboutBox->setPlainText(m_aboutText);
}

void HelpDlg::OnViewHelp() {
    // A missing document would otherwise open an empty browser window or
    // nothing at all, and the rider would not know why.
    const QString path = HelpDocumentPath();
    if (!FileExists(path) || !ShellOpen(path)) {
        ShowError(this, GetLanguageString("HelpDlg", "NOHP"));
    }
}
