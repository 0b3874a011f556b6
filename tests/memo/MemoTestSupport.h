#pragma once
// Shared fixture of the memo editor tests: a program directory with the
// English texts and the memo template, a host dialog embedding the editor
// over Rides/1, scripted dialogs, and helpers that act as the user would.

#include "language/Language.h"
#include "memo/HtmlPictureDlg.h"
#include "memo/HtmlView.h"
#include "memo/MemoDocument.h"
#include "memo/MemoEditor.h"
#include "support/MemoHostDlg.h"
#include "support/ModalDrivers.h"
#include "support/ProgramDirectory.h"
#include "support/Scoped.h"
#include "support/ScriptedDialogs.h"
#include "support/UserInput.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolBar>
#include <memory>
#include <optional>

class MemoEditorTest : public ProgramDirectoryTest {
protected:
    void SetUp() override {
        ASSERT_EQ(LoadLanguageFile(SourcePath(QStringLiteral("languages/vmq_00.ini"))), 0);
        ASSERT_TRUE(m_programDir.WriteFile(
            QStringLiteral("htmltemplate.dat"),
            EncodePlainTextMemo(QString())));  // an empty document in the stored format
        ASSERT_TRUE(QDir().mkpath(m_folder));
        m_host = std::make_unique<MemoHostDlg>();
        m_host->show();
        m_host->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_host.get()));
        View()->setFocus();
    }

    void TearDown() override { m_host.reset(); }

    MemoEditor* Editor() const { return m_host->Editor(); }
    HtmlView* View() const { return m_host->Editor()->View(); }

    bool OpenMemo() { return m_host->Open(m_folder); }

    // A fresh host over the same folder, as when the record is opened again.
    void Reopen() {
        m_host = std::make_unique<MemoHostDlg>();
        m_host->show();
        m_host->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_host.get()));
        ASSERT_TRUE(OpenMemo());
    }

    // Writes a one-colour picture file and returns its full path.
    QString WritePicture(const QString& relative, const QColor& colour, QSize size = QSize(60, 40)) const {
        const QString path = m_programDir.FilePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        EXPECT_TRUE(image.save(path, "PNG"));
        return path;
    }

    void ClickToolbar(int command) const {
        QWidget* button = Editor()->ToolBar()->widgetForAction(Editor()->CommandAction(command));
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
    }

    void Type(const QString& text) const { QTest::keyClicks(View(), text); }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const {
        QTest::keyClick(View(), key, modifiers);
    }

    // Selects the first occurrence of text.
    void Select(const QString& text) const {
        const QTextCursor found = View()->document()->find(text);
        ASSERT_FALSE(found.isNull()) << text.toStdString();
        View()->setTextCursor(found);
    }
    // Puts the caret inside the first occurrence of text.
    void CaretInto(const QString& text) const {
        QTextCursor found = View()->document()->find(text);
        ASSERT_FALSE(found.isNull()) << text.toStdString();
        found.setPosition(found.selectionStart() + 1);
        View()->setTextCursor(found);
    }
    // Format of the characters of the first occurrence of text.
    QTextCharFormat FormatOf(const QString& text) const {
        QTextCursor found = View()->document()->find(text);
        EXPECT_FALSE(found.isNull()) << text.toStdString();
        found.setPosition(found.selectionStart() + 1);
        return found.charFormat();
    }

    // Document position of the n-th picture, or -1.
    int PicturePosition(int n) const {
        int seen = 0;
        for (QTextBlock block = View()->document()->begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                if (!it.fragment().charFormat().isImageFormat())
                    continue;
                for (int i = 0; i < it.fragment().length(); ++i) {
                    if (seen++ == n)
                        return it.fragment().position() + i;
                }
            }
        }
        return -1;
    }
    QTextImageFormat PictureFormat(int n) const {
        QTextCursor cursor(View()->document());
        cursor.setPosition(PicturePosition(n) + 1);
        return cursor.charFormat().toImageFormat();
    }
    // The middle of the n-th picture, in viewport coordinates.
    QPoint PicturePoint(int n) const {
        const int position = PicturePosition(n);
        EXPECT_GE(position, 0);
        QTextCursor cursor(View()->document());
        cursor.setPosition(position);
        const QRect left = View()->cursorRect(cursor);
        cursor.setPosition(position + 1);
        const QRect right = View()->cursorRect(cursor);
        return QPoint((left.left() + right.left()) / 2, left.bottom() - 10);
    }

    // Answers the next picture dialog through its widgets: the file, and a
    // size when resizing; counts the dialogs and remembers the last request shown.
    void AnswerPictureDialog(const QString& path, std::optional<QSize> resize = std::nullopt) {
        m_pictureDriver.emplace([this, path, resize](HtmlPictureDlg& dialog) {
            ++m_pictureDialogs;
            m_shownRequest = dialog.Request();
            m_shownTitle = dialog.windowTitle();
            dialog.findChild<QLineEdit*>(QStringLiteral("filePath"))->setText(path);
            if (resize) {
                dialog.findChild<QRadioButton*>(QStringLiteral("resize"))->click();
                QLineEdit* width = dialog.findChild<QLineEdit*>(QStringLiteral("width"));
                QLineEdit* height = dialog.findChild<QLineEdit*>(QStringLiteral("height"));
                width->clear();
                QTest::keyClicks(width, QString::number(resize->width()));
                // The height followed the width; the rider types over it.
                height->clear();
                QTest::keyClicks(height, QString::number(resize->height()));
            }
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("confirm")), Qt::LeftButton);
        });
    }
    void CancelPictureDialog() {
        m_pictureDriver.emplace([this](HtmlPictureDlg& dialog) {
            ++m_pictureDialogs;
            m_shownRequest = dialog.Request();
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("cancel")), Qt::LeftButton);
        });
    }

    // Every markup handed to the view's PasteHtml.
    void RecordPastes() {
        QObject::connect(View(), &HtmlView::HtmlPasted, View(),
                         [this](const QString& markup) { m_pasted.append(markup); });
    }

    ScriptedDialogs m_dialogs;
    QString m_folder = m_programDir.FilePath(QStringLiteral("Rides/1"));
    std::unique_ptr<MemoHostDlg> m_host;
    std::optional<ScopedModalDriver<HtmlPictureDlg>> m_pictureDriver;
    int m_pictureDialogs = 0;
    PictureRequest m_shownRequest;
    QString m_shownTitle;
    QStringList m_pasted;
};
