// The dialog seam: the scripted dialogs that every GUI test relies on, and the
// real dialogs closing safely under a parent that goes.

#include "support/ProgramDirectory.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

namespace {

TEST(ScriptedDialogs, AnswersInOrderAndRecordsEveryQuestion) {
    ScriptedDialogs dialogs;
    dialogs.AnswerMessage(kButtonNo, QStringLiteral("Delete?"));
    dialogs.AnswerSaveFile(QStringLiteral("/tmp/report.txt"));
    dialogs.AnswerColour(QColor(Qt::red));
    EXPECT_FALSE(AskYesNo(nullptr, QStringLiteral("Delete?")));
    EXPECT_EQ(AppDialogs().GetSaveFileName(nullptr, QStringLiteral("Save"), QStringLiteral("r.txt"),
                                           QStringLiteral("*.txt")),
              QStringLiteral("/tmp/report.txt"));
    EXPECT_EQ(AppDialogs().ChooseColour(nullptr, Qt::black), QColor(Qt::red));
    ASSERT_EQ(dialogs.Asked().size(), 3u);
    EXPECT_EQ(dialogs.Asked()[0].defaultButton, kButtonNo);
    EXPECT_EQ(dialogs.Asked()[0].icon, MessageIcon::Warning);
    EXPECT_EQ(dialogs.Asked()[1].path, QStringLiteral("r.txt"));
}

TEST(Dialogs, ChoosingSeveralFilesFallsBackToOneWhereOnlyOneCanBeChosen) {
    // Dialogs that know only the one-file chooser still answer the several-file
    // question (Dialogs::GetOpenFileNames); the scripted ones answer it themselves.
    ScriptedDialogs dialogs;
    dialogs.AnswerOpenFile(QStringLiteral("/tmp/ride.gpx"));
    dialogs.AnswerOpenFile(QString());
    dialogs.AnswerOpenFiles({QStringLiteral("/tmp/a.gpx"), QStringLiteral("/tmp/b.fit")});
    EXPECT_EQ(dialogs.Dialogs::GetOpenFileNames(nullptr, {}, {}, {}), QStringList({"/tmp/ride.gpx"}));
    EXPECT_EQ(dialogs.Dialogs::GetOpenFileNames(nullptr, {}, {}, {}), QStringList());
    EXPECT_EQ(AppDialogs().GetOpenFileNames(nullptr, QStringLiteral("Import"), QStringLiteral("/home"),
                                            QStringLiteral("*.gpx")),
              QStringList({"/tmp/a.gpx", "/tmp/b.fit"}));
    ASSERT_EQ(dialogs.Asked().size(), 3u);
    EXPECT_EQ(dialogs.Asked()[2].text, QStringLiteral("Import"));
    EXPECT_EQ(dialogs.Asked()[2].filter, QStringLiteral("*.gpx"));
}

TEST(ScriptedDialogs, AnUnscriptedOrMismatchedQuestionFailsTheTest) {
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedDialogs dialogs;
            EXPECT_EQ(AppDialogs().MessageBox(nullptr, QStringLiteral("?"), {}, MessageIcon::Warning,
                                              kButtonYes | kButtonNo, kButtonNo),
                      kButtonNo);
        },
        "unexpected message box");
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedDialogs dialogs;
            dialogs.AnswerFolder(QStringLiteral("/tmp"));
            AppDialogs().GetOpenFileName(nullptr, {}, {}, {});
        },
        "expected a folder browser");
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedDialogs dialogs;
            dialogs.AnswerMessage(kButtonOk, QStringLiteral("one text"));
            ShowError(nullptr, QStringLiteral("another text"));
        },
        "expected \"one text\"");
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedDialogs dialogs;
            dialogs.AnswerOpenFile(QStringLiteral("x"));
        },
        "never asked for");
}

TEST(QtDialogs, MessagesShowTheirTextAsWrittenNeverAsMarkup) {
    // A file named like markup, as the import names the files it cannot read.
    const QString text = QStringLiteral("<b>ride</b><img src=\"x.png\">.gpx cannot be opened.");
    QString shown;
    QTimer::singleShot(0, [&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible()) {
                EXPECT_EQ(box->textFormat(), Qt::PlainText);
                if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
                    shown = label->text();
                    EXPECT_EQ(label->textFormat(), Qt::PlainText);
                }
                box->button(QMessageBox::Ok)->click();
            }
        }
    });
    EXPECT_EQ(AppDialogs().MessageBox(nullptr, text, {}, MessageIcon::Error), kButtonOk);
    EXPECT_EQ(shown, text);
}

TEST(QtDialogs, AParentClosedWhileItsDialogIsOpenCountsAsCancelled) {
    // The real dialogs: a window that goes away under an open question must
    // neither crash the program nor be taken as an answer.
    auto closeParentSoon = [](QWidget* parent) {
        QTimer::singleShot(50, parent, [parent] { parent->deleteLater(); });
    };
    {
        auto* parent = new QWidget;
        closeParentSoon(parent);
        EXPECT_EQ(AppDialogs().MessageBox(parent, QStringLiteral("Delete?"), {}, MessageIcon::Warning,
                                          kButtonYes | kButtonNo, kButtonYes),
                  kButtonNo);
    }
    {
        auto* parent = new QWidget;
        closeParentSoon(parent);
        EXPECT_EQ(AppDialogs().ChooseColour(parent, Qt::red), std::nullopt);
    }
    {
        auto* parent = new QWidget;
        closeParentSoon(parent);
        EXPECT_TRUE(AppDialogs().GetOpenFileName(parent, {}, QDir::tempPath(), {}).isEmpty());
    }
    {
        auto* parent = new QWidget;
        closeParentSoon(parent);
        EXPECT_TRUE(AppDialogs().GetOpenFileNames(parent, {}, QDir::tempPath(), {}).isEmpty());
    }
}

}  // namespace
