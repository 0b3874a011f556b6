#pragma once
// Every modal question the program asks goes through this interface: message
// boxes, file choosers, the folder browser and the colour chooser. The program
// uses QtDialogs; tests install ScriptedDialogs (tests/support), which answers
// from a queue and records every question. No page calls QMessageBox or
// QFileDialog directly.

#include <QColor>
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

enum class MessageIcon { None, Information, Warning, Error, Question };

// Buttons of a message box; combine with |. MessageBox returns the one pressed.
enum MessageButton : int {
    kButtonOk = 0x1,
    kButtonCancel = 0x2,
    kButtonYes = 0x4,
    kButtonNo = 0x8,
    kButtonSave = 0x10,
    kButtonDiscard = 0x20,
};

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Returns the button pressed; closing the box counts as Cancel, or No when
    // there is no Cancel button, or Ok when Ok is the only button.
    virtual int MessageBox(QWidget* parent, const QString& text, const QString& title, MessageIcon icon,
                           int buttons = kButtonOk, int defaultButton = kButtonOk) = 0;

    // filter uses Qt's form: "Text files (*.txt);;All files (*)". An empty
    // result means the user cancelled.
    virtual QString GetSaveFileName(QWidget* parent, const QString& title, const QString& suggestedPath,
                                    const QString& filter) = 0;
    virtual QString GetOpenFileName(QWidget* parent, const QString& title, const QString& startPath,
                                    const QString& filter) = 0;
    // Several existing files at once; an empty list means the user cancelled.
    // By default one file is asked for through GetOpenFileName.
    virtual QStringList GetOpenFileNames(QWidget* parent, const QString& title, const QString& startPath,
                                         const QString& filter);
    virtual QString BrowseForFolder(QWidget* parent, const QString& title, const QString& startPath) = 0;

    // std::nullopt when the user cancelled.
    virtual std::optional<QColor> ChooseColour(QWidget* parent, const QColor& initial) = 0;
};

// The dialogs in force. Defaults to QtDialogs; tests replace them.
Dialogs& AppDialogs();
// Installs dialogs (not owned); nullptr returns to QtDialogs.
void SetAppDialogs(Dialogs* dialogs);

// The program's usual message shapes, with texts from the language table:
// failures show the text with ErrorStrings/ERRO as title and the error icon;
// questions are Yes/No with Strings/CONF as title, the warning icon and No as
// the default. AskYesNo returns true for Yes.
void ShowError(QWidget* parent, const QString& text);
void ShowInformation(QWidget* parent, const QString& text);
// Something went partly wrong, but what was asked for was done.
void ShowWarning(QWidget* parent, const QString& text);
bool AskYesNo(QWidget* parent, const QString& text);

// What to do with changes about to be left: Save, Discard or Cancel (stay).
enum class SaveChoice { Save, Discard, Cancel };
// Asks whether to save the changes of the record being edited; closing the
// box counts as Cancel, so nothing typed is lost by a slip.
SaveChoice AskSaveChanges(QWidget* parent);
