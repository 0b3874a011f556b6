#include "app/MainDlg.h"

#include "app/HelpDlg.h"
#include "app/ServiceNotice.h"
#include "app/TabControl.h"
#include "bicycles/BicycleDlg.h"
#include "language/Language.h"
#include "maintenance/MaintenanceDlg.h"
#include "options/DatabaseCare.h"
#include "options/OptionsDlg.h"
#include "platform/Dialogs.h"
#include "platform/DirectoryLock.h"
#include "platform/Failure.h"
#include "platform/Log.h"
#include "platform/Preferences.h"
#include "rides/RideDlg.h"
#include "statistics/StatDlg.h"
#include "store/store.h"
#include "tools/ToolKitsDlg.h"
#include "units/ProductInfo.h"
#include "units/SafeFormat.h"
#include "units/Units.h"
#include "widgets/LinkLabel.h"
#include "widgets/TabPage.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <algorithm>

namespace {
constexpr int kBannerHeight = 80;
// The smallest the window gets, however little room its pages need.
// Small enough for a 800x500 screen (1600x1000 at twice the scale) with the
// window's frame: the pages scroll when the window is smaller than they need.
constexpr QSize kMinimumSize{620, 420};
constexpr QSize kDefaultSize{900, 660};

// The messages that can come before any language table exists are English.
const char* const kDefaultLanguageMissing = "Can not load default language file.\nPlease re-install.";

struct TabCaption {
    MainDlg::Tab tab;
    LanguageKey caption;
};
constexpr TabCaption kTabCaptions[] = {
    {MainDlg::kBicycles, LanguageKey{"MainDlg", "MYBS"}},
    {MainDlg::kRides, LanguageKey{"MainDlg", "MYRS"}},
    {MainDlg::kStatistics, LanguageKey{"MainDlg", "MYSS"}},
    {MainDlg::kMaintenance, LanguageKey{"MainDlg", "MAIN"}},
    {MainDlg::kTools, LanguageKey{"MainDlg", "TOLK"}},
    {MainDlg::kOptions, LanguageKey{"MainDlg", "OPTN"}},
    {MainDlg::kHelp, LanguageKey{"MainDlg", "HELP"}},
};
}  // namespace

MainDlg::MainDlg(QWidget* parent)
    : QDialog(parent),
      m_tabs(std::make_unique<TabControl>(this)),
      m_statusLine(new LinkLabel(this)),
      m_homePage(new LinkLabel(this)),
      m_bannerLeft(new QLabel(this)),
      m_bannerRight(new QLabel(this)) {
    setObjectName(QStringLiteral("MainDlg"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, Qt::white);
    setPalette(background);
    setMinimumSize(kMinimumSize);
    resize(kDefaultSize);

    m_statusLine->setObjectName(QStringLiteral("StatusLine"));
    m_homePage->setObjectName(QStringLiteral("HomePageLink"));
    m_bannerLeft->setPixmap(QPixmap(QStringLiteral(":/banner_left.png")));
    m_bannerRight->setPixmap(QPixmap(QStringLiteral(":/banner_right.png")));
    for (QLabel* banner : {m_bannerLeft, m_bannerRight}) {
        banner->setAttribute(Qt::WA_TransparentForMouseEvents);  // a press on the banner drags the window
        banner->adjustSize();
    }
    m_tabs->hide();
}

MainDlg::~MainDlg() = default;

bool MainDlg::Initialise() {
    // Memo folders first; one that exists already, or cannot be made, is no reason to stop here.
    QDir current = QDir::current();
    current.mkdir(QString::fromLatin1(logfiles::kRidesFolder));
    current.mkdir(QString::fromLatin1(logfiles::kMaintenanceFolder));

    m_homePage->SetText(QString::fromLatin1(kProductHomePage));
    m_homePage->SetLink(QString::fromLatin1(kProductHomePage));
    const QIcon icon(QStringLiteral(":/app_icon.png"));
    setWindowIcon(icon);

    SetProgramDirectory(QDir::currentPath());
    FreeLanguageTable();
    if (LoadLanguageFile(LanguageFilePath(GetProgramDirectory(), 0)) != 0) {
        AppDialogs().MessageBox(this, QString::fromLatin1(kDefaultLanguageMissing), QString(),
                                MessageIcon::Error);
        return false;
    }

    // A restore or initialize a crash cut short is finished or undone before the log is read.
    if (!FinishInterruptedCare(GetProgramDirectory())) {
        ShowError(this, GetLanguageString("ErrorStrings", "CARE"));
        return false;
    }
    // The lock is taken once the rider's language is known, so that its message is in it.
    if (!OpenOrCreateDatabase() || !ApplyConfiguration() || !LockProgramDirectory()) {
        return false;
    }

    CreatePages();
    FitPages();
    LayOut();
    m_tabs->SetCurrentIndex(kBicycles);
    m_tabs->show();
    setWindowTitle(
        QStringLiteral("%1 %2").arg(QString::fromLatin1(kProductName), QString::fromLatin1(kProductVersion)));
    LayOut();
    RestoreWindowState();
    if (auto* bicycles = qobject_cast<BicycleDlg*>(m_pages[kBicycles])) {
        WatchForDueService(this, bicycles, m_statusLine);
    }
    m_initialised = true;
    return true;
}

void MainDlg::RestoreWindowState() {
    const std::optional<QString> stored = ReadPreference(preference::kMainWindowGeometry);
    if (!stored || !restoreGeometry(QByteArray::fromBase64(stored->toLatin1()))) {
        return;
    }
    // A place kept on a larger screen, or at a smaller scale, is brought
    // within the screen the window opens on.
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        const QSize room = area.size() - QSize(16, 40);
        if (!isMaximized() && (width() > room.width() || height() > room.height())) {
            resize(size().boundedTo(room).expandedTo(minimumSize()));
        }
        if (!area.intersects(QRect(pos(), QSize(width(), 40)))) {
            move(area.topLeft());
        }
    }
}

void MainDlg::SaveWindowState() {
    // Not worth a message at the end: the window merely opens where it did before.
    if (!WritePreference(preference::kMainWindowGeometry, QString::fromLatin1(saveGeometry().toBase64()))) {
        qCInfo(lcStore) << "the window's place was not kept:" << DB_GetLastError();
    }
}

void MainDlg::done(int result) {
    if (m_initialised) {
        SaveWindowState();
    }
    QDialog::done(result);
}

bool MainDlg::LockProgramDirectory() {
    // Two programs on one log would both read the same next record number and
    // write their new records' memos into the same folder. The lock goes with
    // the process, so a crash leaves no lock behind that counts.
    m_directoryLock = std::make_unique<DirectoryLock>();
    switch (m_directoryLock->Acquire(QDir::current().filePath(QString::fromLatin1(logfiles::kLockFile)))) {
        case DirectoryLock::Result::Locked:
            return true;
        case DirectoryLock::Result::HeldElsewhere:
            ShowError(this, GetLanguageString("ErrorStrings", "RUNS"));
            return false;
        case DirectoryLock::Result::Unavailable:
            break;
    }
    // A folder where no lock can be made at all (read-only media) is no
    // reason to refuse the rider's log.
    return true;
}

bool MainDlg::OpenOrCreateDatabase() {
    if (DB_OpenDatabase() == store::kOk) {
        return true;
    }
    // No log yet is how every rider's first start begins: a welcome and a
    // question, and on Yes straight on into the window. A file that is there
    // but cannot be opened is a fault, and is asked about as one.
    const QFileInfo file(QString::fromLatin1(logfiles::kDatabase));
    const bool firstStart = !file.exists() && !file.isSymLink();
    const int answer =
        firstStart ? AppDialogs().MessageBox(this,
                                             SafeFormat(GetLanguageString("EmptyHints", "WLCM"),
                                                        {QDir::toNativeSeparators(GetProgramDirectory())}),
                                             GetLanguageString("EmptyHints", "WLCT"), MessageIcon::Question,
                                             kButtonYes | kButtonNo, kButtonYes)
                   : AppDialogs().MessageBox(this, GetLanguageString("ErrorStrings", "OPID"),
                                             GetLanguageString("ErrorStrings", "ERRO"), MessageIcon::Warning,
                                             kButtonYes | kButtonNo, kButtonYes);
    if (answer != kButtonYes) {
        return false;
    }
    // Made and then opened as every start opens it.
    if (DB_CreateDatabase() != store::kOk || DB_OpenDatabase() != store::kOk) {
        ShowStoreFailure(this, GetLanguageString("ErrorStrings", "ITDB"));
        return false;
    }
    // The empty pages say what to do first; a welcomed rider needs no second box.
    if (!firstStart) {
        AppDialogs().MessageBox(this, GetLanguageString("Strings", "DBIC"), QString(),
                                MessageIcon::Information);
    }
    return true;
}

bool MainDlg::ApplyConfiguration() {
    ApplicationConfigRecord config;
    const int result = DB_LoadApplicationConfig(&config);
    if (result == store::kWrongVersion) {
        ShowError(this, GetLanguageString("ErrorStrings", "DVER"));
        return false;
    }
    if (result != store::kOk) {
        // A database another program holds, or a file that is no database,
        // is worth naming as such: the rider can do something about either.
        if (DB_LastFailureWasBusy()) {
            ShowError(this, GetLanguageString("ErrorStrings", "DBBS"));
        } else if (DB_LastFailureWasDamage()) {
            ShowError(this, GetLanguageString("ErrorStrings", "DBDM"));
        } else {
            ShowStoreFailure(this, GetLanguageString("ErrorStrings", "LDAC"));
        }
        return false;
    }

    FreeLanguageTable();
    const QString languageFile = LanguageFilePath(GetProgramDirectory(), config.Language);
    if (LoadLanguageFile(languageFile) != 0) {
        // The default language is the one in use now, so it is what the
        // settings hold and the options page shows. The rider is told once,
        // in it, and chooses the language again when its file is mended.
        FreeLanguageTable();
        LoadLanguageFile(LanguageFilePath(GetProgramDirectory(), 0));
        config.Language = 0;
        DB_SaveApplicationConfig(&config);
        ShowError(this, SafeFormat(GetLanguageString("ErrorStrings", "LNGF"), {languageFile}));
    }
    SetDistanceUnit(config.DistanceUnit);
    SetWeekStart(config.WeekStart);
    SetCurrencySymbol(ReadPreference(preference::kCurrencySymbol).value_or(QString()));
    return true;
}

void MainDlg::CreatePages() {
    // Created in this order; the tab order is the page table's, independent of it.
    TabControl* tabs = m_tabs.get();
    auto* bicycles = new BicycleDlg(*m_statusLine, tabs);
    bicycles->SetMaintenanceEditor(MaintenanceEntryEditorForService());
    auto* rides = new RideDlg(*m_statusLine, tabs);
    auto* maintenance = new MaintenanceDlg(*m_statusLine, tabs);
    auto* options = new OptionsDlg(*m_statusLine, tabs);
    connect(options, &OptionsDlg::SettingsChanged, this, &MainDlg::RefreshLanguage);
    // Closing the main window ends the program, as its close box does.
    connect(options, &OptionsDlg::EndProgramRequested, this, &MainDlg::reject);
    auto* statistics = new StatDlg(*m_statusLine, tabs);
    auto* tools = new ToolKitsDlg(*m_statusLine, tabs);
    auto* help = new HelpDlg(*m_statusLine, tabs);

    m_pages = {bicycles, rides, statistics, maintenance, tools, options, help};
    for (const TabCaption& tab : kTabCaptions) {
        m_tabs->AddTab(GetLanguageString(tab.caption), m_pages[tab.tab]);
    }
}

void MainDlg::SetTabCaptions() {
    for (const TabCaption& tab : kTabCaptions) {
        m_tabs->SetCaption(tab.tab, GetLanguageString(tab.caption));
    }
    LayOut();  // the captions' width decides where the home page's link fits
}

void MainDlg::RefreshLanguage() {
    SetTabCaptions();
    for (Tab tab : {kBicycles, kRides, kMaintenance, kStatistics, kTools, kHelp, kOptions}) {
        if (m_pages[tab])
            m_pages[tab]->RefreshCaptions();
    }
    // The tab row stays whole: a language with longer tab captions widens a
    // window too narrow for them, once, as far as the screen allows.
    const int tabRow = m_tabs->Bar()->sizeHint().width() + 8 + 8;
    if (tabRow > width()) {
        int widest = tabRow;
        if (const QScreen* screen = this->screen()) {
            widest = std::min(widest, screen->availableGeometry().width() - 16);
        }
        resize(std::max(width(), widest), height());
    }
}

void MainDlg::FitPages() {
    // Captions in other languages run longer than the English ones. A new
    // window opens large enough for what its pages and the tab row need in
    // the language of the start, as far as the screen allows; afterwards the
    // rider's size stands, and a page that needs more room than the window
    // gives it scrolls (TabControl).
    QSize page;
    for (TabPage* each : m_pages) {
        if (each && each->layout()) {
            each->layout()->activate();
            page = page.expandedTo(each->minimumSizeHint());
        }
    }
    // The page's inset in the tab control and the tab control's in the window.
    const QSize around(4 + 4 + 4 + 4, kBannerHeight + TabControl::kTabRowHeight + 4 + 18);
    QSize needed = (page + around).expandedTo(kDefaultSize);
    needed.setWidth(std::max(needed.width(), m_tabs->Bar()->sizeHint().width() + 8));
    if (const QScreen* screen = this->screen()) {
        // Room for the frame the window system puts around the window.
        needed = needed.boundedTo(screen->availableGeometry().size() - QSize(16, 40));
    }
    resize(needed.expandedTo(kMinimumSize));
}

void MainDlg::LayOut() {
    const QRect client = rect();
    const int l = client.left();
    const int t = client.top();
    const int r = client.left() + client.width();
    const int b = client.top() + client.height();
    m_tabs->setGeometry(QRect(QPoint(l + 4, t + 80), QPoint(r - 4 - 1, b - 18 - 1)));
    m_statusLine->setGeometry(QRect(QPoint(l + 5, b - 16), QPoint(r - 1, b - 1)));
    // The home page's link sits right of the tab captions; in a window too
    // narrow for both (a small window, long captions) it gives way to them.
    const int captions = m_tabs->Count();
    const int captionsEnd = captions > 0 ? m_tabs->x() + m_tabs->Bar()->tabRect(captions - 1).right() : l;
    const int linkLeft = std::max(r - 180, captionsEnd + 8);
    m_homePage->setGeometry(QRect(QPoint(linkLeft, t + 85), QPoint(r - 1, t + 100 - 1)));
    m_homePage->setVisible(r - linkLeft >= m_homePage->sizeHint().width());
    m_homePage->raise();

    m_bannerLeft->move(l, t + (kBannerHeight - m_bannerLeft->height()) / 2);
    m_bannerRight->move(m_bannerLeft->geometry().right() + 1,
                        t + (kBannerHeight - m_bannerRight->height()) / 2);
}

void MainDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    LayOut();
}

void MainDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QLinearGradient band(0, 0, width(), 0);
    band.setColorAt(0.0, QColor(0xF4, 0xF8, 0xFA));
    band.setColorAt(1.0, QColor(0xE3, 0xEE, 0xF2));
    painter.fillRect(QRect(0, 0, width(), kBannerHeight), band);
    painter.setPen(QColor(0xC9, 0xD6, 0xDD));
    painter.drawLine(0, kBannerHeight - 1, width(), kBannerHeight - 1);
}

void MainDlg::keyPressEvent(QKeyEvent* event) {
    // Enter and Escape are no dialog commands here: the window closes only
    // through its close box, and a stray Escape must never end the program.
    if (IsDialogCommandKey(event)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void MainDlg::mousePressEvent(QMouseEvent* event) {
    // A press on the window's own background moves the window, as its title bar would.
    if (event->button() != Qt::LeftButton || childAt(event->position().toPoint())) {
        QDialog::mousePressEvent(event);
        return;
    }
    event->accept();
    if (windowHandle() && windowHandle()->startSystemMove()) {
        return;
    }
    m_dragging = true;
    m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void MainDlg::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - m_dragOffset);
        event->accept();
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void MainDlg::mouseReleaseEvent(QMouseEvent* event) {
    m_dragging = false;
    QDialog::mouseReleaseEvent(event);
}
