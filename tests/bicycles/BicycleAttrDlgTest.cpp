// The bicycle editor driven like a user: what lands in the record on Save,
// the frame rule, units, and the picture made by the converter (the real
// ImageMagick, a missing one, one that fails and one that never ends).

#include "bicycles/BicycleAttrDlg.h"
#include "bicycles/BicycleCard.h"
#include "bicycles/BicycleFields.h"
#include "bicycles/BicyclePicture.h"
#include "bicycles/ThumbnailConverter.h"
#include "support/Scoped.h"
#include "support/ScriptedDialogs.h"
#include "support/UserInput.h"
#include "units/NumberInput.h"
#include "units/Units.h"

#include "BicycleTestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <memory>

namespace {

class BicycleEditorTest : public BicycleTest {
protected:
    void Open(BicycleAttrDlg::Mode mode, const BicycleAttribute& record = {}) {
        m_editor = std::make_unique<BicycleAttrDlg>(mode, record, nullptr);
        m_editor->show();
    }

    template <typename Widget>
    Widget* Child(const char* name) const {
        auto* child = m_editor->findChild<Widget*>(QLatin1String(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    QLineEdit* Field(const char* name) const { return Child<QLineEdit>(name); }
    QComboBox* List(const char* name) const { return Child<QComboBox>(name); }
    QPushButton* Button(const char* name) const { return Child<QPushButton>(name); }

    // Types text as key presses that carry their characters (any letter, as a
    // keyboard layout or input method would deliver it).
    static void TypeText(QWidget* widget, const QString& text) {
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(widget, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(widget, &release);
        }
    }
    void TypeInto(QLineEdit* field, const QString& text) {
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        TypeText(field, text);
    }
    void TypeName(const QString& name) { TypeInto(List("name")->lineEdit(), name); }
    void Click(const char* button) { QTest::mouseClick(Button(button), Qt::LeftButton); }

    // Clicks Save; true when the editor closed as saved.
    bool Save() {
        Click("save");
        return m_editor->result() == QDialog::Accepted && !m_editor->isVisible();
    }

    // A record saved with the given frame choice and inch text, then opened again.
    BicycleAttribute SaveWithFrame(int position, const QString& inches) {
        Open(BicycleAttrDlg::kNew);
        TypeName(QStringLiteral("Frame test"));
        ChooseListEntry(List("frame"), position);
        if (!inches.isNull()) {
            TypeInto(Field("inches"), inches);
        }
        EXPECT_TRUE(Save());
        return m_editor->Record();
    }

    QString WriteJpeg(const QString& name, int width, int height) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(QColor(0x1B, 0x7F, 0x8C));
        for (int x = 0; x < width / 2; ++x) {
            for (int y = 0; y < height; ++y) {
                image.setPixelColor(x, y, QColor(0xF4, 0xA3, 0x40));
            }
        }
        const QString path = m_programDir.FilePath(name);
        EXPECT_TRUE(image.save(path, "JPG"));
        return path;
    }

    // A converter in the program directory: a shell script with the given body.
    void InstallConverter(const QByteArray& body, bool executable = true) {
        const QString path = m_programDir.FilePath(QStringLiteral("convert"));
        ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("convert"), "#!/bin/sh\n" + body + "\n"));
        QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
        if (executable) {
            permissions |= QFile::ExeOwner;
        }
        ASSERT_TRUE(QFile::setPermissions(path, permissions));
    }

    // Chooses a picture through the Change button.
    void ChangePicture(ScriptedDialogs& dialogs, const QString& source) {
        dialogs.AnswerOpenFile(source);
        Click("changePicture");
    }

    QString English(const char* section, const char* key) { return GetLanguageString(section, key); }

    std::unique_ptr<BicycleAttrDlg> m_editor;
};

TEST_F(BicycleEditorTest, NewBicycleWithOnlyANameGetsTheDefaults) {
    ScopedTimeZone zone("Europe/Berlin");
    const int64_t now = FromLocalDateTime(2021, 6, 12, 15, 42, 7);
    ScopedClock clock(now);
    ScriptedDialogs dialogs;
    Open(BicycleAttrDlg::kNew);
    EXPECT_EQ(m_editor->windowTitle(), English("Strings", "NWBC"));
    EXPECT_EQ(Button("changePicture")->text(), QStringLiteral("Choose picture(&P)"));
    EXPECT_FALSE(Button("removePicture")->isEnabled());
    EXPECT_FALSE(Field("inches")->isEnabled());
    EXPECT_EQ(List("frame")->currentText(), English("BicycleAttrDlg", "26IN"));

    TypeName(QStringLiteral("Blue"));
    ASSERT_TRUE(Save());
    const BicycleAttribute& saved = m_editor->Record();
    EXPECT_EQ(saved.BicycleName, ToTextBlock(QStringLiteral("Blue")));
    EXPECT_EQ(saved.BicycleName.size(), 2u * 4 + 4);
    EXPECT_EQ(saved.Type, 0);
    EXPECT_EQ(saved.Frame, 1);
    EXPECT_EQ(saved.Weight, 0.0);
    EXPECT_EQ(saved.Cost, 0.0);
    EXPECT_EQ(saved.PreviousODO, 0.0);
    EXPECT_EQ(saved.DatePurchased, now);
    EXPECT_TRUE(saved.PictureData.empty());
    EXPECT_EQ(saved.Memo, ByteBlock(4, 0));
}

TEST_F(BicycleEditorTest, NameAndNotesAreStoredAsTwoBytesPerCharacterAndFour) {
    const QString cases[] = {
        QStringLiteral("A"),
        QStringLiteral("<b>Road & \"Race\", 2</b>"),
        QStringLiteral("Fahrrad \u00fc\u00df \u00e9t\u00e9"),
        QString(BicycleAttrDlg::kNameLength, u'x'),
    };
    for (const QString& text : cases) {
        ScriptedDialogs dialogs;
        Open(BicycleAttrDlg::kNew);
        TypeName(text);
        Child<QPlainTextEdit>("notes")->setFocus();
        TypeText(Child<QPlainTextEdit>("notes"), text);
        ASSERT_TRUE(Save()) << text.toStdString();
        const BicycleAttribute& saved = m_editor->Record();
        EXPECT_EQ(saved.BicycleName.size(), 2u * text.size() + 4) << text.toStdString();
        EXPECT_EQ(FromTextBlock(saved.BicycleName), text);
        EXPECT_EQ(saved.Memo.size(), 2u * text.size() + 4) << text.toStdString();
        EXPECT_EQ(FromTextBlock(saved.Memo), text);
    }
}

TEST_F(BicycleEditorTest, NamesStopAtSixtyFourCharactersAndNotesAtTheirLimit) {
    ScriptedDialogs dialogs;
    Open(BicycleAttrDlg::kNew);
    TypeName(QString(70, u'n'));
    auto* notes = Child<QPlainTextEdit>("notes");
    notes->setPlainText(QString(BicycleAttrDlg::kNotesLength + 100, u'm'));
    ASSERT_TRUE(Save());
    EXPECT_EQ(FromTextBlock(m_editor->Record().BicycleName).size(), BicycleAttrDlg::kNameLength);
    EXPECT_EQ(FromTextBlock(m_editor->Record().Memo).size(), BicycleAttrDlg::kNotesLength);
}

TEST_F(BicycleEditorTest, AnEmptyNameIsRefusedAndTheEditorStaysOpen) {
    ScriptedDialogs dialogs;
    dialogs.AnswerMessage(kButtonOk, English("ErrorStrings", "INBN"));
    Open(BicycleAttrDlg::kNew);
    m_editor->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_editor.get()));
    TypeInto(Field("weight"), QStringLiteral("12"));
    EXPECT_FALSE(Save());
    EXPECT_TRUE(m_editor->isVisible());
    ASSERT_EQ(dialogs.Asked().size(), 1u);
    EXPECT_EQ(dialogs.Asked()[0].title, English("ErrorStrings", "ERRO"));
    EXPECT_EQ(dialogs.Asked()[0].icon, MessageIcon::Error);
    EXPECT_TRUE(List("name")->hasFocus() || List("name")->lineEdit()->hasFocus());
}

TEST_F(BicycleEditorTest, FrameListAndInchFieldFollowTheFrameRule) {
    ScriptedDialogs dialogs;
    struct Case {
        int position;
        QString inches;
        int stored;
        int reopenedPosition;
        QString reopenedInches;
    };
    const Case cases[] = {
        {kOtherFramePosition, QStringLiteral("27"), 27, kOtherFramePosition, QStringLiteral("27")},
        {kOtherFramePosition, QStringLiteral("5"), 5, 5, QString()},
        {kOtherFramePosition, QString(), 0, 0, QString()},
        {3, QString(), 3, 3, QString()},
        {0, QString(), 0, 0, QString()},
    };
    for (const Case& c : cases) {
        const BicycleAttribute saved = SaveWithFrame(c.position, c.inches);
        EXPECT_EQ(saved.Frame, c.stored) << c.inches.toStdString();
        Open(BicycleAttrDlg::kModify, saved);
        EXPECT_EQ(List("frame")->currentIndex(), c.reopenedPosition) << c.stored;
        EXPECT_EQ(Field("inches")->text(), c.reopenedInches) << c.stored;
        EXPECT_EQ(Field("inches")->isEnabled(), c.reopenedPosition == kOtherFramePosition) << c.stored;
    }

    // The inch field is there exactly while "other size" is chosen.
    Open(BicycleAttrDlg::kNew);
    ChooseListEntry(List("frame"), kOtherFramePosition);
    EXPECT_TRUE(Field("inches")->isEnabled());
    ChooseListEntry(List("frame"), 2);
    EXPECT_FALSE(Field("inches")->isEnabled());
}

TEST_F(BicycleEditorTest, TheOdometerIsShownAndTypedInTheChosenUnit) {
    ScriptedDialogs dialogs;
    SetDistanceUnit(1);
    BicycleAttribute record = NamedBicycle(QStringLiteral("Tourer"));
    record.PreviousODO = 16.09;
    Open(BicycleAttrDlg::kModify, record);
    EXPECT_EQ(m_editor->windowTitle(), English("Strings", "MDBC"));
    EXPECT_EQ(Field("odometer")->text(), QStringLiteral("10.00"));
    EXPECT_EQ(Child<QLabel>("odometerUnit")->text(), English("Strings", "MILE"));

    Open(BicycleAttrDlg::kNew);
    TypeName(QStringLiteral("Tourer"));
    TypeInto(Field("odometer"), QStringLiteral("10"));
    ASSERT_TRUE(Save());
    EXPECT_DOUBLE_EQ(m_editor->Record().PreviousODO, 16.09);

    SetDistanceUnit(0);
    Open(BicycleAttrDlg::kModify, record);
    EXPECT_EQ(Field("odometer")->text(), QStringLiteral("16.09"));
    EXPECT_EQ(Child<QLabel>("odometerUnit")->text(), English("Strings", "KMSS"));
}

TEST_F(BicycleEditorTest, NumberFieldsReadTheRidersWritingAndNameATextThatIsNoNumber) {
    // German writes a decimal comma and groups with a point.
    FreeLanguageTable();
    ASSERT_EQ(LoadLanguageFile(SourcePath(QStringLiteral("languages/vmq_01.ini"))), 0);
    ScriptedDialogs dialogs;
    Open(BicycleAttrDlg::kNew);
    TypeName(QStringLiteral("Reiserad"));
    TypeInto(Field("weight"), QStringLiteral("9,8"));
    TypeInto(Field("cost"), QStringLiteral("1.299"));
    ChooseListEntry(List("frame"), kOtherFramePosition);
    TypeInto(Field("inches"), QStringLiteral("27"));
    TypeInto(Field("odometer"), QStringLiteral("1.234,5 km"));
    ASSERT_TRUE(Save());
    EXPECT_DOUBLE_EQ(m_editor->Record().Weight, 9.8);
    EXPECT_DOUBLE_EQ(m_editor->Record().Cost, 1299);
    EXPECT_EQ(m_editor->Record().Frame, 27);
    EXPECT_DOUBLE_EQ(m_editor->Record().PreviousODO, 1234.5);

    const struct {
        const char* field;
        const char* typed;
        const char* caption;  // BicycleAttrDlg's, or Strings' for the cost
        NumberKind kind;
    } refused[] = {
        {"weight", "-3", "WEIG", NumberKind::Decimal},       {"weight", "9 lb", "WEIG", NumberKind::Decimal},
        {"cost", "abc", "COST", NumberKind::Decimal},        {"inches", "27,5", "FRAM", NumberKind::Whole},
        {"odometer", "12,5,1", "PREO", NumberKind::Decimal},
    };
    for (const auto& c : refused) {
        const QString caption =
            QLatin1String(c.caption) == u"COST"
                ? GetLanguageString(QStringLiteral("Strings"), QStringLiteral("COST"))
                : GetLanguageString(QStringLiteral("BicycleAttrDlg"), QLatin1String(c.caption));
        dialogs.AnswerMessage(kButtonOk, NumberRefusal(caption, c.kind));
        Open(BicycleAttrDlg::kNew);
        m_editor->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_editor.get()));
        TypeName(QStringLiteral("Reiserad"));
        ChooseListEntry(List("frame"), kOtherFramePosition);
        TypeInto(Field(c.field), QString::fromLatin1(c.typed));
        EXPECT_FALSE(Save()) << c.field;
        EXPECT_TRUE(m_editor->isVisible());
        EXPECT_EQ(Field(c.field)->text(), QString::fromLatin1(c.typed));
        EXPECT_TRUE(Field(c.field)->hasFocus()) << c.field;
    }
    EXPECT_EQ(dialogs.Unanswered(), 0u);
}

TEST_F(BicycleEditorTest, TabWalksTheRowsFromTopToBottom) {
    Open(BicycleAttrDlg::kNew);
    const QStringList rows = {"name",   "type",      "weight",   "cost",          "frame",
                              "inches", "purchased", "odometer", "changePicture", "removePicture",
                              "notes",  "save",      "cancel"};
    QStringList walked;
    QWidget* widget = m_editor->findChild<QWidget*>(QStringLiteral("name"));
    for (int step = 0; widget && step < 500 && walked.size() < rows.size(); ++step) {
        if (rows.contains(widget->objectName()) && !walked.contains(widget->objectName())) {
            walked << widget->objectName();
        }
        widget = widget->nextInFocusChain();
    }
    EXPECT_EQ(walked, rows);
}

TEST_F(BicycleEditorTest, TypingStopsAtTheFieldsLength) {
    Open(BicycleAttrDlg::kNew);
    TypeInto(Field("weight"), QStringLiteral("123456"));
    EXPECT_EQ(Field("weight")->text(), QStringLiteral("1234"));
}

TEST_F(BicycleEditorTest, ModifyShowsTheRecordAndSavesItBackUnchanged) {
    ScopedTimeZone zone("America/New_York");
    ScriptedDialogs dialogs;
    BicycleAttribute record = NamedBicycle(QStringLiteral("Old faithful"));
    record.BicycleNumber = 7;
    record.Type = 4;
    record.Weight = 10.25;  // five characters as "%.2f": more than the field takes from the keyboard
    record.Frame = 2;
    record.Cost = 1234567.5;
    record.DatePurchased = static_cast<int32_t>(FromLocalDateTime(2009, 3, 14, 9, 26, 53));
    record.PreviousODO = 321.5;
    record.PictureData = BitmapBytes(Qt::red);
    record.Memo = ToTextBlock(QStringLiteral("Line one\nLine two"));
    record.TotalDistance = 99.0;
    record.TotalHours = 3;

    Open(BicycleAttrDlg::kModify, record);
    EXPECT_EQ(List("name")->currentText(), QStringLiteral("Old faithful"));
    EXPECT_EQ(List("type")->currentText(), English("BicycleAttrDlg", "TDBK"));
    EXPECT_EQ(Field("weight")->text(), QStringLiteral("10.25"));
    EXPECT_EQ(Field("cost")->text(), QStringLiteral("1234567.50"));
    EXPECT_EQ(List("frame")->currentText(), English("BicycleAttrDlg", "700C"));
    EXPECT_EQ(Child<QDateTimeEdit>("purchased")->text(), QStringLiteral("2009/03/14"));
    EXPECT_EQ(Child<QPlainTextEdit>("notes")->toPlainText(), QStringLiteral("Line one\nLine two"));
    EXPECT_EQ(Button("changePicture")->text(), QStringLiteral("Change picture(&P)"));
    EXPECT_TRUE(Button("removePicture")->isEnabled());

    ASSERT_TRUE(Save());
    const BicycleAttribute& saved = m_editor->Record();
    EXPECT_EQ(saved.BicycleNumber, 7);
    EXPECT_EQ(saved.BicycleName, record.BicycleName);
    EXPECT_EQ(saved.Type, 4);
    EXPECT_EQ(saved.Weight, 10.25);
    EXPECT_EQ(saved.Frame, 2);
    EXPECT_EQ(saved.Cost, 1234567.5);
    EXPECT_EQ(saved.DatePurchased, record.DatePurchased);
    EXPECT_EQ(saved.PreviousODO, 321.5);
    EXPECT_EQ(saved.PictureData, record.PictureData);
    EXPECT_EQ(saved.Memo, record.Memo);
    EXPECT_EQ(saved.TotalDistance, 99.0);
    EXPECT_EQ(saved.TotalHours, 3);
}

TEST_F(BicycleEditorTest, PurchaseDatesOutsideThePickersRangeAreHeldToIt) {
    ScopedTimeZone zone("Europe/Berlin");
    ScriptedDialogs dialogs;
    BicycleAttribute record = NamedBicycle(QStringLiteral("Ancient"));
    record.DatePurchased = 0;
    Open(BicycleAttrDlg::kModify, record);
    ASSERT_TRUE(Save());
    EXPECT_EQ(m_editor->Record().DatePurchased, FromLocalDateTime(1980, 1, 1, 12, 0, 0));
}

TEST_F(BicycleEditorTest, RemovingThePictureEmptiesItAndCancelKeepsTheCallersRecord) {
    ScriptedDialogs dialogs;
    BicycleAttribute record = NamedBicycle(QStringLiteral("Pictured"));
    record.PictureData = BitmapBytes(Qt::blue);
    Open(BicycleAttrDlg::kModify, record);
    Click("removePicture");
    EXPECT_TRUE(m_editor->Record().PictureData.empty());
    EXPECT_EQ(Button("changePicture")->text(), QStringLiteral("Choose picture(&P)"));
    EXPECT_FALSE(Button("removePicture")->isEnabled());
    Click("cancel");
    EXPECT_EQ(m_editor->result(), QDialog::Rejected);
    EXPECT_EQ(record.PictureData, BitmapBytes(Qt::blue));
}

// ---- The picture and its converter ------------------------------------------

TEST_F(BicycleEditorTest, ImageMagickFitsWideAndTallPicturesIntoThumbnailsKeepingTheirShape) {
    ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("convert")).isEmpty())
        << "ImageMagick's convert is needed (scripts/install-deps.sh installs it)";
    ScriptedDialogs dialogs;
    Open(BicycleAttrDlg::kNew);
    // The left half of each source is amber, the right half teal. Fitted into
    // 150 x 75, the wide one fills the width in a band 28 high across the
    // middle; the tall one stands 14 wide in the middle; the rest is the
    // card's white.
    struct Case {
        QSize size;
        QPoint amber, teal, padding;
    };
    for (const Case& c : {Case{QSize(640, 120), QPoint(10, 37), QPoint(140, 37), QPoint(75, 5)},
                          Case{QSize(90, 500), QPoint(70, 37), QPoint(79, 37), QPoint(20, 37)}}) {
        SCOPED_TRACE(c.size.width());
        const QString source =
            WriteJpeg(QStringLiteral("photo %1x%2.jpg").arg(c.size.width()).arg(c.size.height()),
                      c.size.width(), c.size.height());
        ChangePicture(dialogs, source);
        const ByteBlock& picture = m_editor->Record().PictureData;
        ASSERT_GE(picture.size(), 2u);
        EXPECT_EQ(picture[0], 'B');
        EXPECT_EQ(picture[1], 'M');
        const QImage thumbnail = DecodeThumbnail(picture);
        EXPECT_EQ(thumbnail.size(), QSize(kThumbnailWidth, kThumbnailHeight));
        EXPECT_GT(thumbnail.pixelColor(c.amber).red(), 200);
        EXPECT_LT(thumbnail.pixelColor(c.amber).blue(), 120);
        EXPECT_LT(thumbnail.pixelColor(c.teal).red(), 80);
        EXPECT_EQ(thumbnail.pixelColor(c.padding), QColor::fromRgb(kCardColour));
        EXPECT_EQ(
            thumbnail.pixelColor(kThumbnailWidth - 1 - c.padding.x(), kThumbnailHeight - 1 - c.padding.y()),
            QColor::fromRgb(kCardColour));
        EXPECT_EQ(Button("changePicture")->text(), QStringLiteral("Change picture(&P)"));
        EXPECT_TRUE(Button("removePicture")->isEnabled());
        // The thumbnail file stays in the program directory.
        EXPECT_TRUE(QFile::exists(m_programDir.FilePath(QStringLiteral("thumtemp.bmp"))));
    }
    EXPECT_TRUE(dialogs.MessagesAsked().empty());
    ASSERT_EQ(dialogs.Asked().size(), 2u);
    EXPECT_EQ(dialogs.Asked()[0].filter, English("BicycleAttrDlg", "BTMF"));
}

TEST_F(BicycleEditorTest, AFileThatIsNoPictureLeavesTheBicycleWithoutOne) {
    ScriptedDialogs dialogs;
    BicycleAttribute record = NamedBicycle(QStringLiteral("Pictured"));
    record.PictureData = BitmapBytes(Qt::blue);
    Open(BicycleAttrDlg::kModify, record);
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("notes.jpg"), "just some words, no picture\n"));
    // A thumbnail left over from an earlier conversion must not be taken for this one.
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("thumtemp.bmp"), QByteArray("BMstale")));
    dialogs.AnswerOpenFile(m_programDir.FilePath(QStringLiteral("notes.jpg")));
    dialogs.AnswerFailure(kButtonOk, English("ErrorStrings", "LDPT"), English("FailureReasons", "NPIC"));
    Click("changePicture");
    EXPECT_TRUE(m_editor->Record().PictureData.empty());
    EXPECT_FALSE(Button("removePicture")->isEnabled());
}

TEST_F(BicycleEditorTest, CancellingTheFileChooserKeepsThePicture) {
    ScriptedDialogs dialogs;
    BicycleAttribute record = NamedBicycle(QStringLiteral("Pictured"));
    record.PictureData = BitmapBytes(Qt::blue);
    Open(BicycleAttrDlg::kModify, record);
    ChangePicture(dialogs, QString());
    EXPECT_EQ(m_editor->Record().PictureData, record.PictureData);
    EXPECT_TRUE(dialogs.MessagesAsked().empty());
}

TEST_F(BicycleEditorTest, AConverterThatCannotStartIsReportedWithItsSystemError) {
    const QString emptyFolder = m_programDir.FilePath(QStringLiteral("no-programs"));
    ASSERT_TRUE(QDir().mkpath(emptyFolder));
    ScopedEnvironment path("PATH", emptyFolder.toLocal8Bit());
    const QString source = WriteJpeg(QStringLiteral("photo.jpg"), 300, 150);
    struct Case {
        const char* what;
        bool installNonExecutable;
        int error;
    };
    for (const Case& c : {Case{"missing", false, ENOENT}, Case{"not executable", true, EACCES}}) {
        ScriptedDialogs dialogs;
        if (c.installNonExecutable) {
            InstallConverter("exit 0", false);
        }
        BicycleAttribute record = NamedBicycle(QStringLiteral("Pictured"));
        record.PictureData = BitmapBytes(Qt::blue);
        Open(BicycleAttrDlg::kModify, record);
        dialogs.AnswerOpenFile(source);
        dialogs.AnswerMessage(kButtonOk, QStringLiteral("CreateProcess() error:%1").arg(c.error));
        dialogs.AnswerMessage(kButtonOk, English("ErrorStrings", "LDPT"));
        Click("changePicture");
        EXPECT_TRUE(m_editor->Record().PictureData.empty()) << c.what;
        ASSERT_EQ(dialogs.Asked().size(), 3u) << c.what;
        EXPECT_EQ(dialogs.Asked()[1].title, QStringLiteral("Velomarq")) << c.what;
        EXPECT_EQ(dialogs.Asked()[1].icon, MessageIcon::Error) << c.what;
        EXPECT_EQ(dialogs.Asked()[2].title, English("ErrorStrings", "ERRO")) << c.what;
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << c.what;
    }
}

TEST_F(BicycleEditorTest, TheConverterGetsThePictureOnStandardInputAndNoNameAtAll) {
    // The stand-in records its arguments one per line and what it reads, and
    // answers with a bitmap on standard output.
    const QByteArray bitmap(reinterpret_cast<const char*>(BitmapBytes(Qt::green).data()),
                            static_cast<qsizetype>(BitmapBytes(Qt::green).size()));
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("green.bmp"), bitmap));
    InstallConverter("for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" +
                     m_programDir.FilePath(QStringLiteral("arguments.txt")).toLocal8Bit() + "\"\ncat > \"" +
                     m_programDir.FilePath(QStringLiteral("input.bin")).toLocal8Bit() + "\"\ncat \"" +
                     m_programDir.FilePath(QStringLiteral("green.bmp")).toLocal8Bit() + "\"");
    ScriptedDialogs dialogs;
    Open(BicycleAttrDlg::kNew);
    const QString source = WriteJpeg(QStringLiteral("it's a \"quoted\" $name; rm -rf %d [0] x.jpg"), 30, 20);
    ChangePicture(dialogs, source);
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("arguments.txt")),
              "jpeg:-[0]\n-resize\n150x75\n-background\n#ffffff\n-alpha\nremove\n-gravity\ncenter\n"
              "-extent\n150x75\nbmp:-\n");
    QFile picture(source);
    ASSERT_TRUE(picture.open(QIODevice::ReadOnly));
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("input.bin")), picture.readAll());
    EXPECT_EQ(m_editor->Record().PictureData, BitmapBytes(Qt::green));
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("thumtemp.bmp")), bitmap);
    EXPECT_TRUE(dialogs.MessagesAsked().empty());
}

TEST_F(BicycleEditorTest, ImageMagickTakesProgramDirectoryAndPictureNamesLiterally) {
    ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("convert")).isEmpty())
        << "ImageMagick's convert is needed (scripts/install-deps.sh installs it)";
    // Names ImageMagick would read as a frame number, a frame choice or a format.
    const QString folder = m_programDir.FilePath(QStringLiteral("Touring 100%d"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString previous = GetProgramDirectory();
    SetProgramDirectory(folder);
    ScriptedDialogs dialogs;
    Open(BicycleAttrDlg::kNew);
    const QString source = WriteJpeg(QStringLiteral("Touring 100%d/png:50%s [1].jpg"), 60, 30);
    ChangePicture(dialogs, source);
    SetProgramDirectory(previous);
    EXPECT_EQ(DecodeThumbnail(m_editor->Record().PictureData).size(),
              QSize(kThumbnailWidth, kThumbnailHeight));
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/thumtemp.bmp")));
    EXPECT_FALSE(QFileInfo::exists(m_programDir.FilePath(QStringLiteral("Touring 1000"))));
    EXPECT_TRUE(dialogs.MessagesAsked().empty());
}

TEST_F(BicycleEditorTest, OnlyTheOfferedRasterFormatsReachTheConverterWhateverTheirName) {
    InstallConverter("touch \"" + m_programDir.FilePath(QStringLiteral("called")).toLocal8Bit() + "\"");
    const QByteArray refused[] = {
        "<svg xmlns=\"http://www.w3.org/2000/svg\"><image href=\"file:///etc/passwd\"/></svg>",
        "push graphic-context\nimage over 0,0 0,0 'ephemeral:/home'\n",  // ImageMagick's own drawing language
        "BM but too short",
        QByteArray("RIFF\0\0\0\0WAVEfmt ", 16),
        "",
    };
    for (const QByteArray& bytes : refused) {
        ScriptedDialogs dialogs;
        BicycleAttribute record = NamedBicycle(QStringLiteral("Pictured"));
        record.PictureData = BitmapBytes(Qt::blue);
        Open(BicycleAttrDlg::kModify, record);
        ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("photo.jpg"), bytes));
        dialogs.AnswerOpenFile(m_programDir.FilePath(QStringLiteral("photo.jpg")));
        dialogs.AnswerFailure(kButtonOk, English("ErrorStrings", "LDPT"), English("FailureReasons", "NPIC"));
        Click("changePicture");
        EXPECT_FALSE(QFileInfo::exists(m_programDir.FilePath(QStringLiteral("called")))) << bytes.constData();
        EXPECT_TRUE(m_editor->Record().PictureData.empty()) << bytes.constData();
    }
    // Each offered format is known by its first bytes, whatever the name says.
    const std::pair<QByteArray, PictureFormat> accepted[] = {
        {QByteArray("\xFF\xD8\xFF\xE0"), PictureFormat::Jpeg},
        {QByteArray("\x89PNG\r\n\x1A\n"), PictureFormat::Png},
        {QByteArray("GIF89a"), PictureFormat::Gif},
        {QByteArray("II*\0", 4), PictureFormat::Tiff},
        {QByteArray("MM\0*", 4), PictureFormat::Tiff},
        {QByteArray("RIFF\0\0\0\0WEBPVP8 ", 16), PictureFormat::Webp},
        {QByteArray(reinterpret_cast<const char*>(BitmapBytes(Qt::red).data()), 32), PictureFormat::Bmp},
    };
    for (const auto& [head, format] : accepted) {
        EXPECT_EQ(PictureFormatOf(head), format) << head.toHex().constData();
    }
}

TEST_F(BicycleEditorTest, AConverterThatNeverEndsCanBeCancelledWhileTheEditorWaitsForIt) {
    const QString pidFile = m_programDir.FilePath(QStringLiteral("converter.pid"));
    InstallConverter("echo $$ > \"" + pidFile.toLocal8Bit() + "\"\nexec sleep 600");
    ScriptedDialogs dialogs;
    BicycleAttribute record = NamedBicycle(QStringLiteral("Pictured"));
    record.PictureData = BitmapBytes(Qt::blue);
    Open(BicycleAttrDlg::kModify, record);
    const QString source = WriteJpeg(QStringLiteral("photo.jpg"), 300, 150);

    // What the user tries while the converter runs, and what the test sees meanwhile.
    struct Seen {
        bool waited = false;
        bool busyCursor = false;
        bool saveIgnored = false;
        bool stillPainting = false;
    } seen;
    int paintsBefore = 0;
    int paints = 0;
    QWidget* picture = Child<QWidget>("picture");
    class PaintCounter : public QObject {
    public:
        explicit PaintCounter(int* count) : m_count(count) {}
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint)
                ++*m_count;
            return false;
        }
        int* m_count;
    } counter(&paints);
    picture->installEventFilter(&counter);

    QTimer watcher;
    int step = 0;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        auto* wait = m_editor->findChild<ProgramWaitDlg*>();
        if (!QFile::exists(pidFile) || !wait || !wait->isVisible()) {
            return;
        }
        seen.waited = true;
        if (step == 0) {
            seen.busyCursor =
                QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::BusyCursor;
            QTest::mouseClick(Button("save"), Qt::LeftButton);
            QTest::keyClick(m_editor.get(), Qt::Key_Escape);
            seen.saveIgnored = m_editor->isVisible() && m_editor->result() != QDialog::Accepted;
            paintsBefore = paints;
            picture->update();
            step = 1;
        } else if (step == 1 && paints > paintsBefore) {
            seen.stillPainting = true;
            QTest::mouseClick(wait->findChild<QPushButton*>(QStringLiteral("cancel")), Qt::LeftButton);
            step = 2;
        }
    });
    watcher.start(20);
    ChangePicture(dialogs, source);
    watcher.stop();

    EXPECT_TRUE(seen.waited);
    EXPECT_TRUE(seen.busyCursor);
    EXPECT_TRUE(seen.saveIgnored);
    EXPECT_TRUE(seen.stillPainting);
    EXPECT_EQ(step, 2);
    EXPECT_EQ(m_editor->Record().PictureData, record.PictureData);
    EXPECT_TRUE(m_editor->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(dialogs.MessagesAsked().empty());
    // The converter has been stopped, not left behind.
    const pid_t pid =
        static_cast<pid_t>(m_programDir.ReadFile(QStringLiteral("converter.pid")).trimmed().toInt());
    ASSERT_GT(pid, 0);
    EXPECT_EQ(::kill(pid, 0), -1);
    EXPECT_EQ(errno, ESRCH);

    // The editor works on as before.
    ASSERT_TRUE(Save());
    EXPECT_EQ(m_editor->Record().PictureData, record.PictureData);
}

}  // namespace
