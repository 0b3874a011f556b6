// Every shipped language on every page and in every dialog that opens without
// much data: each caption the rider can see must show whole. German and
// Russian texts run far longer than the English ones the layouts were drawn
// with, and Japanese and Chinese need their own font; a caption cut off at
// its widget's edge is easy to miss on screen and impossible to read.

#include "app/MainDlg.h"
#include "app/TabControl.h"
#include "language/IniReader.h"
#include "language/Language.h"
#include "memo/HtmlPictureDlg.h"
#include "memo/MemoEditor.h"
#include "store/store.h"
#include "support/ModalDrivers.h"
#include "support/ProgramDirectory.h"
#include "support/Scoped.h"
#include "support/ScriptedDialogs.h"
#include "support/UserInput.h"
#include "units/Clock.h"
#include "units/TextBlock.h"
#include "widgets/ImageButton.h"
#include "widgets/LinkLabel.h"
#include "widgets/RecordTableView.h"
#include "widgets/TabPage.h"

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionGroupBox>
#include <QStyleOptionHeader>
#include <QTabBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <functional>
#include <map>

namespace {

constexpr int kLanguageCount = 16;
const QString kBicycleName = QStringLiteral("Tourer");

QString LanguageFile(int number) {
    return QStringLiteral("languages/vmq_%1.ini").arg(number, 2, 10, QLatin1Char('0'));
}

// A caption as it is drawn: "&x" underlines x, "&&" shows one "&".
QString WithoutMnemonics(const QString& text) {
    QString shown;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size()) {
            ++i;
        }
        shown += text[i];
    }
    return shown;
}

// Collects the captions that do not fit their widgets, one line each:
// language, where, widget and the room the text needs against what it has.
class CaptionCheck {
public:
    void SetLanguage(const QString& language) { m_language = language; }
    const QStringList& Failures() const { return m_failures; }
    int Checked() const { return m_checked; }

    // Every visible widget of root (itself included), and the accelerator
    // letters of its buttons: one caption each.
    void CheckVisible(QWidget* root, const QString& where) {
        std::map<QChar, QString> letters;
        QList<QWidget*> widgets = root->findChildren<QWidget*>();
        widgets.prepend(root);
        for (QWidget* widget : widgets) {
            if (!widget->isVisible() || widget->window() != root->window()) {
                continue;
            }
            CheckWidget(widget, where);
            if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
                const QKeySequence mnemonic = QKeySequence::mnemonic(button->text());
                if (mnemonic.isEmpty()) {
                    continue;
                }
                const QChar letter = mnemonic.toString().back();
                const auto [taken, added] = letters.emplace(letter, button->text());
                if (!added) {
                    Fail(where, button, button->text(),
                         QStringLiteral("accelerator %1 also belongs to \"%2\"")
                             .arg(letter)
                             .arg(taken->second));
                }
            }
        }
    }

private:
    void Fail(const QString& where, const QWidget* widget, const QString& text, const QString& problem) {
        QString name = widget->objectName();
        if (name.isEmpty()) {
            name = QStringLiteral("(unnamed)");
        }
        m_failures << QStringLiteral("%1 / %2 / %3 %4 \"%5\": %6")
                          .arg(m_language, where, QString::fromLatin1(widget->metaObject()->className()),
                               name, text, problem);
    }

    // A single-line text of the given width in a room of the given width.
    void Fits(const QString& where, const QWidget* widget, const QString& text, int needed, int room) {
        ++m_checked;
        if (text.contains(QStringLiteral("<NULL>"))) {
            Fail(where, widget, text, QStringLiteral("missing language text"));
        } else if (needed > room) {
            Fail(where, widget, text, QStringLiteral("needs %1 px, has %2").arg(needed).arg(room));
        }
    }

    void CheckWidget(QWidget* widget, const QString& where) {
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            CheckLabel(label, where);
        } else if (auto* link = qobject_cast<LinkLabel*>(widget)) {
            if (!link->Text().trimmed().isEmpty()) {
                Fits(where, link, link->Text(), link->fontMetrics().horizontalAdvance(link->Text()),
                     link->width());
            }
        } else if (auto* image = qobject_cast<ImageButton*>(widget)) {
            // Drawn centred over the whole button, one pixel further while pressed.
            const QString shown = ImageButton::DrawnCaption(image->text());
            Fits(where, image, shown, image->fontMetrics().horizontalAdvance(shown) + 1, image->width());
        } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
            CheckButton(button, QStyle::SE_PushButtonContents, where);
        } else if (auto* check = qobject_cast<QCheckBox*>(widget)) {
            CheckButton(check, QStyle::SE_CheckBoxContents, where);
        } else if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
            CheckButton(radio, QStyle::SE_RadioButtonContents, where);
        } else if (auto* tool = qobject_cast<QToolButton*>(widget)) {
            if (tool->toolButtonStyle() == Qt::ToolButtonTextOnly && !tool->text().isEmpty()) {
                const QString shown = WithoutMnemonics(tool->text());
                Fits(where, tool, shown, tool->fontMetrics().horizontalAdvance(shown),
                     tool->contentsRect().width());
            }
        } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            CheckGroupBox(group, where);
        } else if (auto* tabs = qobject_cast<QTabBar*>(widget)) {
            CheckTabs(tabs, where);
        } else if (auto* header = qobject_cast<QHeaderView*>(widget)) {
            CheckHeadings(header, where);
        } else if (auto* choice = qobject_cast<QComboBox*>(widget)) {
            CheckChoice(choice, where);
        }
    }

    void CheckLabel(QLabel* label, const QString& where) {
        if (label->text().isEmpty() || label->textFormat() == Qt::RichText) {
            return;
        }
        const QString shown = label->buddy() ? WithoutMnemonics(label->text()) : label->text();
        const QRect room = label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(),
                                                          -label->margin());
        const QFontMetrics metrics = label->fontMetrics();
        if (label->wordWrap()) {
            // Wrapped text must fit in height; a single word too long for the
            // width would stick out at the side.
            const QRect needed = metrics.boundingRect(
                QRect(0, 0, room.width(), 100000),
                Qt::TextWordWrap | Qt::AlignTop | (label->alignment() & Qt::AlignHorizontal_Mask), shown);
            ++m_checked;
            if (needed.height() > room.height() || needed.width() > room.width()) {
                Fail(where, label, shown,
                     QStringLiteral("needs %1 x %2 px, has %3 x %4")
                         .arg(needed.width())
                         .arg(needed.height())
                         .arg(room.width())
                         .arg(room.height()));
            }
            return;
        }
        int widest = 0;
        const QStringList lines = shown.split(u'\n');
        for (const QString& line : lines) {
            widest = qMax(widest, metrics.horizontalAdvance(line));
        }
        Fits(where, label, shown, widest, room.width());
        if (lines.size() > 1 && metrics.lineSpacing() * lines.size() > room.height() + metrics.leading()) {
            Fail(where, label, shown,
                 QStringLiteral("%1 lines do not fit %2 px").arg(lines.size()).arg(room.height()));
        }
    }

    void CheckButton(QAbstractButton* button, QStyle::SubElement contents, const QString& where) {
        if (button->text().isEmpty()) {
            return;
        }
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        option.icon = button->icon();
        option.iconSize = button->iconSize();
        if (auto* push = qobject_cast<QPushButton*>(button); push && push->isDefault()) {
            option.features |= QStyleOptionButton::DefaultButton;
        }
        QRect room = button->style()->subElementRect(contents, &option, button);
        if (!button->icon().isNull()) {
            room.setWidth(room.width() - button->iconSize().width() - 4);
        }
        const QString shown = WithoutMnemonics(button->text());
        Fits(where, button, shown, button->fontMetrics().horizontalAdvance(shown), room.width());
    }

    void CheckGroupBox(QGroupBox* group, const QString& where) {
        if (group->title().isEmpty()) {
            return;
        }
        QStyleOptionGroupBox option;
        option.initFrom(group);
        option.text = group->title();
        option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        option.textAlignment = group->alignment();
        const QRect label =
            group->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, group);
        const QString shown = WithoutMnemonics(group->title());
        // The title starts where the style puts it and must end inside the box.
        Fits(where, group, shown, label.left() + group->fontMetrics().horizontalAdvance(shown),
             group->width());
    }

    void CheckTabs(QTabBar* tabs, const QString& where) {
        for (int i = 0; i < tabs->count(); ++i) {
            const QString shown = WithoutMnemonics(tabs->tabText(i));
            const QRect item = tabs->tabRect(i);
            // The item itself, and the item within the bar: a tab pushed past
            // the bar's end hides behind the scroll buttons.
            Fits(where, tabs, shown, tabs->fontMetrics().horizontalAdvance(shown) + 4, item.width());
            if (item.right() >= tabs->width()) {
                Fail(where, tabs, shown,
                     QStringLiteral("tab ends at %1, the bar at %2").arg(item.right()).arg(tabs->width()));
            }
        }
    }

    void CheckHeadings(QHeaderView* header, const QString& where) {
        if (!header->model() || header->orientation() != Qt::Horizontal) {
            return;
        }
        // The heading keeps clear of the sort arrow where one is shown.
        const auto* arrowHeader = qobject_cast<SortArrowHeader*>(header);
        const int arrowColumn = arrowHeader ? arrowHeader->ArrowColumn() : -1;
        for (int i = 0; i < header->count(); ++i) {
            if (header->isSectionHidden(i)) {
                continue;
            }
            const QString text = header->model()->headerData(i, Qt::Horizontal).toString();
            if (text.isEmpty()) {
                continue;
            }
            QStyleOptionHeader option;
            option.initFrom(header);
            option.rect = QRect(0, 0, header->sectionSize(i), header->height());
            option.text = text;
            QRect room = header->style()->subElementRect(QStyle::SE_HeaderLabel, &option, header);
            if (i == arrowColumn) {
                room.setRight(qMin(room.right(), SortArrowHeader::ArrowRect(option.rect).left() - 1));
            }
            Fits(where, header, text, header->fontMetrics().horizontalAdvance(text), room.width());
        }
    }

    // A list's closed box shows the chosen entry; the longest entry must fit
    // as well as the one chosen now. Bicycle names are the rider's, font
    // names the machine's, and editable boxes scroll: those are left alone.
    void CheckChoice(QComboBox* choice, const QString& where) {
        if (choice->isEditable() || choice->objectName() == QLatin1String("fontName")) {
            return;
        }
        QStyleOptionComboBox option;
        option.initFrom(choice);
        option.editable = false;
        option.frame = choice->hasFrame();
        const QRect room = choice->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                           QStyle::SC_ComboBoxEditField, choice);
        QString widest;
        for (int i = 0; i < choice->count(); ++i) {
            if (choice->itemText(i) != kBicycleName &&
                choice->fontMetrics().horizontalAdvance(choice->itemText(i)) >
                    choice->fontMetrics().horizontalAdvance(widest)) {
                widest = choice->itemText(i);
            }
        }
        if (!widest.isEmpty()) {
            Fits(where, choice, widest, choice->fontMetrics().horizontalAdvance(widest), room.width());
        }
    }

    QString m_language;
    QStringList m_failures;
    int m_checked = 0;
};

class CaptionFitTest : public ProgramDirectoryTest {
protected:
    void SetUp() override {
        m_programDir.InstallShippedFiles();
        ASSERT_EQ(DB_CreateDatabase(), store::kOk);
        ASSERT_EQ(DB_OpenDatabase(), store::kOk);
        // One of everything, so that the editors open and the lists and the
        // bicycle card show their texts.
        BicycleAttribute bicycle;
        bicycle.BicycleName = ToTextBlock(kBicycleName);
        ASSERT_EQ(DB_InsertBicycle(&bicycle), store::kOk);
        RideRecord ride;
        ride.Date = static_cast<int32_t>(CurrentTime());
        ride.BicycleNumber = 1;
        ride.Distance = 42.0;
        ride.Hours = 1;
        ride.Minutes = 30;
        ASSERT_EQ(DB_InsertRideRecord(&ride), store::kOk);
        MaintenanceRecord entry;
        entry.Date = static_cast<int32_t>(CurrentTime());
        entry.BicycleNumber = 1;
        entry.Cost = 12.5;
        ASSERT_EQ(DB_InsertMaintenanceRecord(&entry), store::kOk);
        DB_CloseDatabase();
    }

    static void Configure(int language, int distanceUnit) {
        ASSERT_EQ(DB_OpenDatabase(), store::kOk);
        ApplicationConfigRecord config;
        config.Language = language;
        config.DistanceUnit = distanceUnit;
        ASSERT_EQ(DB_SaveApplicationConfig(&config), store::kOk);
        DB_CloseDatabase();
    }

    QString LanguageName(int number) const {
        return IniFile::Read(m_programDir.FilePath(LanguageFile(number)))
            .Value(QStringLiteral("CommonInfo"), QStringLiteral("Language"), 126);
    }

    void ClickTab(MainDlg& window, MainDlg::Tab tab) {
        TabCaptionBar* bar = window.Tabs().Bar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
        ASSERT_TRUE(window.Page(tab)->isVisible());
        // The layouts settle as they would before the page is painted.
        QCoreApplication::processEvents();
    }

    // Clicks a page's button and checks the dialog it opens, and what opens
    // from there, which is then left unanswered (cancelled).
    void CheckDialogOf(QWidget* page, const char* button, const QString& where,
                       const std::function<void(QDialog&)>& then = {}) {
        auto* clicked = page->findChild<QAbstractButton*>(QString::fromLatin1(button));
        ASSERT_NE(clicked, nullptr) << where.toStdString() << ": no button " << button;
        ScopedModalDrivers drivers;
        drivers.Then<QDialog>([&](QDialog& dialog) {
            QCoreApplication::processEvents();
            m_check.CheckVisible(&dialog, where);
            if (then) {
                then(dialog);
            }
        });
        QTest::mouseClick(clicked, Qt::LeftButton);
    }

    // The picture dialog of a record editor's memo, opened from its toolbar.
    void CheckPictureDialogOf(QDialog& editor) {
        auto* memo = editor.findChild<MemoEditor*>();
        ASSERT_NE(memo, nullptr);
        ScopedModalDrivers drivers;
        drivers.Then<HtmlPictureDlg>([&](HtmlPictureDlg& dialog) {
            QCoreApplication::processEvents();
            m_check.CheckVisible(&dialog, QStringLiteral("memo picture"));
        });
        QTest::mouseClick(memo->ToolBar()->widgetForAction(memo->CommandAction(kMemoInsertPicture)),
                          Qt::LeftButton);
    }

    // Every tab of the running window, and the dialogs its pages open.
    void CheckWindow(MainDlg& window, bool withDialogs) {
        m_check.CheckVisible(window.Tabs().Bar(), QStringLiteral("tabs"));
        m_check.CheckVisible(&window.StatusLine(), QStringLiteral("window"));
        struct Visit {
            MainDlg::Tab tab;
            const char* name;
        };
        for (const Visit& visit :
             {Visit{MainDlg::kBicycles, "Bicycles"}, Visit{MainDlg::kRides, "Rides"},
              Visit{MainDlg::kStatistics, "Statistics"}, Visit{MainDlg::kMaintenance, "Maintenance"},
              Visit{MainDlg::kTools, "Tools"}, Visit{MainDlg::kOptions, "Options"},
              Visit{MainDlg::kHelp, "Help"}}) {
            ClickTab(window, visit.tab);
            QWidget* page = window.Page(visit.tab);
            const QString where = QString::fromLatin1(visit.name);
            m_check.CheckVisible(page, where + QStringLiteral(" page"));
            // The status line is the page's too: it holds the page's totals.
            m_check.CheckVisible(&window.StatusLine(), where + QStringLiteral(" status line"));
            // Each heading of a list as it looks with the sort arrow a click gives it.
            if (auto* header = page->findChild<SortArrowHeader*>();
                header && visit.tab != MainDlg::kStatistics) {
                for (int column = 0; column < header->count(); ++column) {
                    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
                    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                                      QPoint(x, header->height() / 2));
                    m_check.CheckVisible(header, where + QStringLiteral(" sorted"));
                }
            }
            if (!withDialogs) {
                continue;
            }
            switch (visit.tab) {
                case MainDlg::kBicycles:
                    CheckDialogOf(page, "new", QStringLiteral("bicycle editor"));
                    CheckDialogOf(page, "export", QStringLiteral("export chooser"));
                    break;
                case MainDlg::kRides:
                    CheckDialogOf(page, "new", QStringLiteral("ride editor"),
                                  [this](QDialog& editor) { CheckPictureDialogOf(editor); });
                    m_dialogs.AnswerOpenFiles({m_programDir.FilePath(QStringLiteral("ride.gpx"))});
                    CheckDialogOf(page, "import", QStringLiteral("ride import"));
                    break;
                case MainDlg::kStatistics: {
                    // A series of rides, as a list with its dates and as a chart.
                    ChooseListEntry(page->findChild<QComboBox*>(QStringLiteral("StatContents")), 1);
                    QCoreApplication::processEvents();
                    m_check.CheckVisible(page, QStringLiteral("Statistics series"));
                    ChooseListEntry(page->findChild<QComboBox*>(QStringLiteral("StatStyle")), 1);
                    QCoreApplication::processEvents();
                    m_check.CheckVisible(page, QStringLiteral("Statistics chart"));
                    break;
                }
                case MainDlg::kMaintenance:
                    CheckDialogOf(page, "new", QStringLiteral("maintenance editor"));
                    break;
                case MainDlg::kTools:
                    CheckDialogOf(page, "unitConversion", QStringLiteral("unit converter"));
                    CheckDialogOf(page, "gearCalculator", QStringLiteral("gear calculator"));
                    break;
                default:
                    break;
            }
        }
    }

    void ExpectEverythingFits() const {
        EXPECT_GT(m_check.Checked(), 100);
        EXPECT_TRUE(m_check.Failures().isEmpty())
            << m_check.Failures().size() << " captions not shown whole:\n"
            << m_check.Failures().join(QLatin1Char('\n')).toStdString();
    }

    ScriptedDialogs m_dialogs;
    CaptionCheck m_check;
};

TEST_F(CaptionFitTest, EveryLanguageStartsWithEveryCaptionWhole) {
    for (int language = 0; language < kLanguageCount; ++language) {
        ASSERT_TRUE(QFile::exists(m_programDir.FilePath(LanguageFile(language)))) << language;
        // Kilometres and miles by turns: the unit words are captions too.
        Configure(language, language % 2);
        m_check.SetLanguage(LanguageName(language));
        MainDlg window;
        ASSERT_TRUE(window.Initialise()) << language;
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        CheckWindow(window, true);
        // At the smallest size the home page's link gives way to the captions.
        window.resize(window.minimumSize());
        QCoreApplication::processEvents();
        const auto* link = window.findChild<QWidget*>(QStringLiteral("HomePageLink"));
        const QTabBar* bar = window.Tabs().Bar();
        const int captionsEnd = bar->mapTo(&window, bar->tabRect(bar->count() - 1).topRight()).x();
        ASSERT_NE(link, nullptr);
        EXPECT_TRUE(link->isHidden() || link->geometry().left() > captionsEnd)
            << LanguageName(language).toStdString();
        // The rides page's controls wrap into further lines rather than
        // push the page sideways, every caption still whole.
        ClickTab(window, MainDlg::kRides);
        QWidget* rides = window.Page(MainDlg::kRides);
        const auto* frame = qobject_cast<QScrollArea*>(rides->parentWidget()->parentWidget());
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(frame->horizontalScrollBar()->maximum(), 0) << LanguageName(language).toStdString();
        m_check.CheckVisible(rides, QStringLiteral("Rides page at the smallest size"));
    }
    ExpectEverythingFits();
    // Nothing was asked but the import's file chooser, once per language.
    EXPECT_EQ(m_dialogs.Asked().size(), static_cast<size_t>(kLanguageCount));
}

TEST_F(CaptionFitTest, EachLanguageChosenOnTheOptionsPageReCaptionsEveryPageAtOnce) {
    Configure(0, 0);
    MainDlg window;
    ASSERT_TRUE(window.Initialise());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QStringList tabKeys{QStringLiteral("MYBS"), QStringLiteral("MYRS"), QStringLiteral("MYSS"),
                              QStringLiteral("MAIN"), QStringLiteral("TOLK"), QStringLiteral("OPTN"),
                              QStringLiteral("HELP")};
    // Back to English at the end, so every file is left once too.
    for (int language : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 0}) {
        ClickTab(window, MainDlg::kOptions);
        auto* choice = window.Page(MainDlg::kOptions)->findChild<QComboBox*>(QStringLiteral("Language"));
        ASSERT_NE(choice, nullptr);
        const QString name = LanguageName(language);
        ASSERT_EQ(choice->itemText(language), name) << "the list offers the files by number";
        ChooseListEntry(choice, language);
        const IniFile file = IniFile::Read(m_programDir.FilePath(LanguageFile(language)));
        for (int tab = 0; tab < tabKeys.size(); ++tab) {
            EXPECT_EQ(window.Tabs().Caption(tab).toStdString(),
                      file.Value(QStringLiteral("MainDlg"), tabKeys[tab], 511).toStdString())
                << name.toStdString();
        }
        m_check.SetLanguage(name + QStringLiteral(" (chosen)"));
        CheckWindow(window, false);
    }
    ExpectEverythingFits();
    EXPECT_TRUE(m_dialogs.Asked().empty());
}

}  // namespace
