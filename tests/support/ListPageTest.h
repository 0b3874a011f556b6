#pragma once
// Fixture of the list-page tests (rides, maintenance): the page fixture with
// the page itself, shown as a click on its tab shows it, a pinned time zone and
// now (2025-06-01 18:30 in Berlin), and the user's ways with the table, the
// filters and the export chooser.

#include "support/PageTest.h"
#include "widgets/ImportExportDlg.h"
#include "widgets/LinkLabel.h"
#include "widgets/RecordTableView.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QHeaderView>
#include <QStringList>
#include <memory>

template <typename Page>
class ListPageTest : public PageTest {
protected:
    void TearDown() override { m_page.reset(); }

    // Shows the page, which reads the store as it does on every showing.
    void ShowPage() {
        if (!m_page) {
            m_page = std::make_unique<Page>(m_status, nullptr);
            m_page->resize(900, 500);
        }
        m_page->hide();
        m_page->show();
    }

    RecordTableView* Table() const { return m_page->Table(); }
    int Rows() const { return m_page->Model().rowCount(); }
    QString Cell(int row, int column) const { return m_page->Model().index(row, column).data().toString(); }
    QStringList ColumnTexts(int column) const {
        QStringList texts;
        for (int row = 0; row < Rows(); ++row) {
            texts << Cell(row, column);
        }
        return texts;
    }
    QString Heading(int column) const {
        return m_page->Model().headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    }

    void ClickRow(int row) const {
        QTest::mouseClick(Table()->viewport(), Qt::LeftButton, {},
                          Table()->visualRect(m_page->Model().index(row, 0)).center());
    }
    void ClickHeading(int column) const {
        QHeaderView* header = Table()->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 10, header->height() / 2));
    }
    void ClickPage(const char* button) const { Click(*m_page, button); }
    void SetDays(QDate from, QDate to) const {
        Find<QDateEdit>(*m_page, "startDate")->setDate(from);
        Find<QDateEdit>(*m_page, "endDate")->setDate(to);
    }

    // Clicks Export, chooses the format and types the name in the export chooser.
    void Export(int format, const QString& fileName) {
        m_drivers.Then<ImportExportDlg>([=](ImportExportDlg& dialog) {
            QComboBox* formats = dialog.findChild<QComboBox*>(QStringLiteral("format"));
            // Text, comma-separated, HTML and the CSV for spreadsheets.
            EXPECT_EQ(formats->count(), 4);
            ChooseListEntry(formats, format);
            QTest::keyClicks(dialog.findChild<QLineEdit*>(QStringLiteral("fileName")), fileName);
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("save")), Qt::LeftButton);
        });
        Click(*m_page, "export");
    }
    // The names in a folder of the program directory.
    QStringList Entries(const QString& relative) const {
        return QDir(Path(relative))
            .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden, QDir::Name);
    }
    // A report file's text, without its byte-order mark.
    QString Written(const QString& relative) const {
        const QByteArray bytes = m_programDir.ReadFile(relative);
        return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2),
                                  (bytes.size() - 2) / 2);
    }

    ScopedTimeZone m_zone{"Europe/Berlin"};
    ScopedClock m_clock{Local(2025, 6, 1, 18, 30)};
    LinkLabel m_status;
    std::unique_ptr<Page> m_page;
};
