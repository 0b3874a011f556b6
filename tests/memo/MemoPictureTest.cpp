// Pictures in memos: the markup that inserts them, the dialog's checks, and
// changing a picture's file or size.

#include "memo/MemoTestSupport.h"
#include "units/NumberInput.h"

namespace {

TEST(PictureMarkup, HasTheStoredSpacing) {
    const struct {
        int sizeMode, width, height;
        const char* expected;
    } cases[] = {
        {0, 0, 0, "<img src=\"data.files/lake view.jpg\"    >"},
        {0, 640, 480, "<img src=\"data.files/lake view.jpg\"    >"},
        {1, 200, 100, "<img src=\"data.files/lake view.jpg\"  width=\"200\"   height=\"100\" >"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BuildPictureMarkup(QStringLiteral("lake view.jpg"), c.sizeMode, c.width, c.height),
                  QLatin1String(c.expected));
    }
}

TEST_F(MemoEditorTest, InsertingPastesTheMarkupForTheChosenSize) {
    const QString hill = WritePicture(QStringLiteral("pictures/hill.png"), Qt::darkGreen);
    ASSERT_TRUE(OpenMemo());
    RecordPastes();

    AnswerPictureDialog(hill);
    ClickToolbar(kMemoInsertPicture);
    AnswerPictureDialog(hill, QSize(200, 100));
    ClickToolbar(kMemoInsertPicture);
    EXPECT_EQ(m_pasted, QStringList({"<img src=\"data.files/hill.png\"    >",
                                     "<img src=\"data.files/hill.png\"  width=\"200\"   height=\"100\" >"}));
    EXPECT_EQ(m_shownTitle, GetLanguageString("HtmlPictureDlg", "NEWS"));
    EXPECT_EQ(m_shownRequest.mode, PictureMode::New);
    EXPECT_TRUE(QFileInfo::exists(MemoPicturePath(m_folder, QStringLiteral("hill.png"))));
    EXPECT_EQ(PictureFormat(1).width(), 200);
    EXPECT_EQ(QApplication::focusWidget(), View());

    // Cancelled: nothing pasted.
    CancelPictureDialog();
    ClickToolbar(kMemoInsertPicture);
    EXPECT_EQ(m_pasted.size(), 2);
}

TEST_F(MemoEditorTest, UnreadablePictureIsReportedAndNothingInserted) {
    ASSERT_TRUE(OpenMemo());
    RecordPastes();
    m_dialogs.AnswerFailure(kButtonOk, GetLanguageString("ErrorStrings", "LDPT"));
    AnswerPictureDialog(m_programDir.FilePath(QStringLiteral("pictures/missing.jpg")));
    ClickToolbar(kMemoInsertPicture);
    ASSERT_EQ(m_dialogs.Asked().size(), 1u);
    EXPECT_EQ(m_dialogs.Asked()[0].title, GetLanguageString("ErrorStrings", "ERRO"));
    EXPECT_EQ(m_dialogs.Asked()[0].icon, MessageIcon::Error);
    EXPECT_TRUE(m_pasted.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(MemoPictureFolderPath(m_folder)));
}

TEST_F(MemoEditorTest, APictureThatCannotBeCopiedInIsReportedAndNothingInserted) {
    const QString hill = WritePicture(QStringLiteral("pictures/hill.png"), Qt::darkGreen);
    ASSERT_TRUE(OpenMemo());
    RecordPastes();
    ScopedWriteFailure full;
    m_dialogs.AnswerFailure(kButtonOk, GetLanguageString("ErrorStrings", "CPPT"));
    AnswerPictureDialog(hill);
    ClickToolbar(kMemoInsertPicture);
    EXPECT_EQ(m_dialogs.MessagesAsked().size(), 1u);
    EXPECT_TRUE(m_pasted.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(MemoPicturePath(m_folder, QStringLiteral("hill.png"))));
}

TEST_F(MemoEditorTest, DialogKeepsAskingUntilItHasWhatItNeeds) {
    const QString hill = WritePicture(QStringLiteral("pictures/hill.png"), Qt::darkGreen);
    ASSERT_TRUE(OpenMemo());
    RecordPastes();
    m_dialogs.AnswerMessage(kButtonOk, QString());
    m_dialogs.AnswerOpenFile(hill);
    m_dialogs.AnswerMessage(kButtonOk,
                            NumberRefusal(GetLanguageString("HtmlPictureDlg", "WIDT"), NumberKind::Whole));
    m_pictureDriver.emplace([&](HtmlPictureDlg& dialog) {
        auto* path = dialog.findChild<QLineEdit*>(QStringLiteral("filePath"));
        auto* width = dialog.findChild<QLineEdit*>(QStringLiteral("width"));
        auto* height = dialog.findChild<QLineEdit*>(QStringLiteral("height"));
        auto* confirm = dialog.findChild<QPushButton*>(QStringLiteral("confirm"));
        EXPECT_TRUE(dialog.findChild<QRadioButton*>(QStringLiteral("originalSize"))->isChecked());
        EXPECT_FALSE(width->isEnabled());
        EXPECT_FALSE(height->isEnabled());

        // No file yet: an empty message titled with the program's name.
        QTest::mouseClick(confirm, Qt::LeftButton);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.focusWidget(), path);

        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("browse")), Qt::LeftButton);
        EXPECT_EQ(path->text(), hill);

        dialog.findChild<QRadioButton*>(QStringLiteral("resize"))->click();
        EXPECT_TRUE(width->isEnabled());
        QTest::mouseClick(confirm, Qt::LeftButton);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.focusWidget(), width);
        // A text that is no whole number is named and kept, selected to be typed over.
        QTest::keyClicks(width, QStringLiteral("12x0"));
        QTest::mouseClick(confirm, Qt::LeftButton);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(width->text(), QStringLiteral("12x0"));
        EXPECT_EQ(dialog.focusWidget(), width);
        QTest::keyClicks(width, QStringLiteral("120"));
        EXPECT_EQ(width->text(), QStringLiteral("120"));
        // The height follows in the picture's proportions; the rider empties it.
        EXPECT_EQ(height->text(), QStringLiteral("80"));
        height->selectAll();
        QTest::keyClick(height, Qt::Key_Backspace);
        QTest::mouseClick(confirm, Qt::LeftButton);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.focusWidget(), height);
        QTest::keyClicks(height, QStringLiteral("0"));  // a side of 0 would hide the picture
        QTest::mouseClick(confirm, Qt::LeftButton);
        EXPECT_TRUE(dialog.isVisible());
        QTest::keyClicks(height, QStringLiteral("90"));
        QTest::keyClick(height, Qt::Key_Return);
        EXPECT_FALSE(dialog.isVisible());
    });
    ClickToolbar(kMemoInsertPicture);
    EXPECT_EQ(m_pasted, QStringList({"<img src=\"data.files/hill.png\"  width=\"120\"   height=\"90\" >"}));
    ASSERT_EQ(m_dialogs.Asked().size(), 3u);
    EXPECT_EQ(m_dialogs.Asked()[0].title, QStringLiteral("Velomarq"));
    EXPECT_EQ(
        m_dialogs.Asked()[1].filter,
        QStringLiteral("*.JPG,*.JPEG (*.jpg *.jpeg);;*.GIF (*.gif);;*.PNG (*.png);;*.BMP (*.bmp);;*.* (*)"));
}

TEST_F(MemoEditorTest, OneTypedSideFillsTheOtherInThePicturesProportions) {
    const QString hill = WritePicture(QStringLiteral("pictures/hill.png"), Qt::darkGreen, QSize(60, 40));
    ASSERT_TRUE(OpenMemo());
    RecordPastes();
    m_pictureDriver.emplace([&](HtmlPictureDlg& dialog) {
        auto* width = dialog.findChild<QLineEdit*>(QStringLiteral("width"));
        auto* height = dialog.findChild<QLineEdit*>(QStringLiteral("height"));
        auto typeOver = [](QLineEdit* field, const QString& text) {
            field->selectAll();
            QTest::keyClick(field, Qt::Key_Backspace);
            QTest::keyClicks(field, text);
        };
        dialog.findChild<QLineEdit*>(QStringLiteral("filePath"))->setText(hill);
        dialog.findChild<QRadioButton*>(QStringLiteral("resize"))->click();
        QTest::keyClicks(width, QStringLiteral("30"));
        EXPECT_EQ(height->text(), QStringLiteral("20"));
        typeOver(width, QString());  // emptied: nothing to follow
        EXPECT_EQ(height->text(), QString());
        QTest::keyClicks(height, QStringLiteral("20"));
        EXPECT_EQ(width->text(), QStringLiteral("30"));
        // Once both sides are the rider's, the picture may be drawn out of shape.
        typeOver(width, QStringLiteral("90"));
        EXPECT_EQ(height->text(), QStringLiteral("20"));
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("confirm")), Qt::LeftButton);
    });
    ClickToolbar(kMemoInsertPicture);
    EXPECT_EQ(m_pasted, QStringList({"<img src=\"data.files/hill.png\"  width=\"90\"   height=\"20\" >"}));

    // The size shown when a picture is changed follows the side typed as well.
    m_pictureDriver.emplace([&](HtmlPictureDlg& dialog) {
        dialog.findChild<QRadioButton*>(QStringLiteral("resize"))->click();
        auto* width = dialog.findChild<QLineEdit*>(QStringLiteral("width"));
        width->selectAll();
        QTest::keyClicks(width, QStringLiteral("120"));
        EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("height"))->text(), QStringLiteral("80"));
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("confirm")), Qt::LeftButton);
    });
    QTest::mouseDClick(View()->viewport(), Qt::LeftButton, {}, PicturePoint(0));
    EXPECT_EQ(PictureFormat(0).width(), 120);
    EXPECT_EQ(PictureFormat(0).height(), 80);
}

TEST_F(MemoEditorTest, ConfirmingUnchangedFixesTheShownSize) {
    const QString hill = WritePicture(QStringLiteral("pictures/hill.png"), Qt::darkGreen, QSize(90, 50));
    ASSERT_TRUE(OpenMemo());
    AnswerPictureDialog(hill);
    ClickToolbar(kMemoInsertPicture);
    ASSERT_FALSE(PictureFormat(0).hasProperty(QTextFormat::ImageWidth));

    m_pictureDriver.emplace([&](HtmlPictureDlg& dialog) {
        ++m_pictureDialogs;
        m_shownTitle = dialog.windowTitle();
        EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("width"))->text(), QStringLiteral("90"));
        EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("height"))->text(), QStringLiteral("50"));
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("confirm")), Qt::LeftButton);
    });
    QTest::mouseDClick(View()->viewport(), Qt::LeftButton, {}, PicturePoint(0));
    EXPECT_EQ(m_pictureDialogs, 2);
    EXPECT_EQ(m_shownTitle, GetLanguageString("HtmlPictureDlg", "MODF"));
    EXPECT_EQ(PictureFormat(0).width(), 90);
    EXPECT_EQ(PictureFormat(0).height(), 50);
    EXPECT_EQ(View()->GetPictureSources(),
              QStringList{MemoPicturePath(m_folder, QStringLiteral("hill.png"))});
}

TEST_F(MemoEditorTest, ChangingThePictureFileCopiesItAndSavesItRelatively) {
    const QString hill = WritePicture(QStringLiteral("pictures/hill.png"), Qt::darkGreen);
    const QString valley = WritePicture(QStringLiteral("pictures/valley.png"), Qt::darkYellow);
    ASSERT_TRUE(OpenMemo());
    AnswerPictureDialog(hill);
    ClickToolbar(kMemoInsertPicture);

    AnswerPictureDialog(valley, QSize(30, 20));
    QTest::mouseDClick(View()->viewport(), Qt::LeftButton, {}, PicturePoint(0));
    EXPECT_EQ(View()->GetPictureSources(),
              QStringList{MemoPicturePath(m_folder, QStringLiteral("valley.png"))});
    EXPECT_EQ(PictureFormat(0).width(), 30);

    ASSERT_TRUE(Editor()->SaveDocument());
    QFile saved(MemoDocumentPath(m_folder));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QString markup = DecodeMemoDocument(saved.readAll());
    EXPECT_TRUE(markup.contains(QStringLiteral("src=\"data.files/valley.png\""))) << markup.toStdString();
    EXPECT_FALSE(markup.contains(m_programDir.Path()));
    EXPECT_EQ(QDir(MemoPictureFolderPath(m_folder)).entryList(QDir::Files), QStringList{"valley.png"});

    // An unreadable replacement changes nothing.
    m_dialogs.AnswerFailure(kButtonOk, GetLanguageString("ErrorStrings", "LDPT"));
    AnswerPictureDialog(m_programDir.FilePath(QStringLiteral("pictures/none.png")));
    QTest::mouseDClick(View()->viewport(), Qt::LeftButton, {}, PicturePoint(0));
    EXPECT_EQ(View()->GetPictureSources(),
              QStringList{MemoPicturePath(m_folder, QStringLiteral("valley.png"))});
}

TEST_F(MemoEditorTest, PictureOfTheSameNameReplacesTheShownOne) {
    const QString red = WritePicture(QStringLiteral("pictures/a/top.png"), Qt::red);
    const QString blue = WritePicture(QStringLiteral("pictures/b/top.png"), Qt::blue);
    ASSERT_TRUE(OpenMemo());
    AnswerPictureDialog(red);
    ClickToolbar(kMemoInsertPicture);
    // Laid out and drawn once, so the red picture is cached.
    View()->grab();
    AnswerPictureDialog(blue);
    ClickToolbar(kMemoInsertPicture);

    for (int n = 0; n < 2; ++n) {
        const QImage shown = View()
                                 ->document()
                                 ->resource(QTextDocument::ImageResource, QUrl(PictureFormat(n).name()))
                                 .value<QImage>();
        ASSERT_FALSE(shown.isNull()) << n;
        EXPECT_EQ(shown.pixelColor(5, 5), QColor(Qt::blue)) << n;
    }
}

TEST_F(MemoEditorTest, PictureWithAQuoteInItsNameIsShownAndKept) {
    // A quote would end the address early: the picture broken, its file
    // deleted by the next save.
    const QString cheese = WritePicture(QStringLiteral("pictures/say \"cheese\".png"), Qt::yellow);
    ASSERT_TRUE(OpenMemo());
    RecordPastes();
    AnswerPictureDialog(cheese);
    ClickToolbar(kMemoInsertPicture);
    ASSERT_EQ(m_pasted.size(), 1);
    EXPECT_EQ(m_pasted[0], QStringLiteral("<img src=\"data.files/say &quot;cheese&quot;.png\"    >"));
    ASSERT_TRUE(Editor()->SaveDocument());

    Reopen();
    EXPECT_EQ(View()->GetPictureSources(),
              QStringList{MemoPicturePath(m_folder, QStringLiteral("say \"cheese\".png"))});
    EXPECT_FALSE(View()
                     ->document()
                     ->resource(QTextDocument::ImageResource, QUrl(PictureFormat(0).name()))
                     .value<QImage>()
                     .isNull());
    EXPECT_TRUE(QFileInfo::exists(MemoPicturePath(m_folder, QStringLiteral("say \"cheese\".png"))));
}

}  // namespace
