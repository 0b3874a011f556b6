#include "platform/Dialogs.h"

#include "language/Language.h"
#include "platform/ModalRun.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

int CancelledAnswer(int buttons) {
    if (buttons & kButtonCancel)
        return kButtonCancel;
    if (buttons & kButtonNo)
        return kButtonNo;
    return kButtonOk;
}

QStringList ChooseFiles(QWidget* parent, const QString& title, const QString& path, const QString& filter,
                        QFileDialog::AcceptMode mode, QFileDialog::FileMode fileMode) {
    GuardedModal dialog(new QFileDialog(parent, title, path, filter));
    dialog->setAcceptMode(mode);
    dialog->setFileMode(fileMode);
    if (fileMode == QFileDialog::Directory)
        dialog->setOption(QFileDialog::ShowDirsOnly);
    if (!dialog.Exec())
        return {};
    return dialog->selectedFiles();
}

QString ChooseFile(QWidget* parent, const QString& title, const QString& path, const QString& filter,
                   QFileDialog::AcceptMode mode, QFileDialog::FileMode fileMode) {
    return ChooseFiles(parent, title, path, filter, mode, fileMode).value(0);
}

// The buttons carry texts from the language table once one is loaded. Before
// that (the start-up messages that precede any table) Qt's own texts stand.
QString ButtonText(const LanguageKey& key) {
    const QString text = GetLanguageString(key);
    return text == QLatin1String("<NULL>") ? QString() : text;
}

class QtDialogs final : public Dialogs {
public:
    int MessageBox(QWidget* parent, const QString& text, const QString& title, MessageIcon icon, int buttons,
                   int defaultButton) override {
        GuardedModal box(new QMessageBox(parent));
        // Messages carry file names, record texts and memo text: never markup
        // to be laid out, whatever they look like.
        box->setTextFormat(Qt::PlainText);
        box->setText(text);
        box->setWindowTitle(title);
        box->setIcon(ToQtIcon(icon));
        struct Choice {
            int button;
            QMessageBox::StandardButton standard;
            LanguageKey caption;
        };
        const Choice choices[] = {
            {kButtonYes, QMessageBox::Yes, LanguageKey{"Strings", "YESS"}},
            {kButtonNo, QMessageBox::No, LanguageKey{"Strings", "NOOO"}},
            {kButtonOk, QMessageBox::Ok, LanguageKey{"Strings", "OKAY"}},
            {kButtonCancel, QMessageBox::Cancel, LanguageKey{"Strings", "CANC"}},
            {kButtonSave, QMessageBox::Save, LanguageKey{"Strings", "SAVE"}},
            {kButtonDiscard, QMessageBox::Discard, LanguageKey{"Strings", "DSCD"}},
        };
        QMessageBox::StandardButtons standardButtons;
        for (const Choice& choice : choices) {
            if (buttons & choice.button)
                standardButtons |= choice.standard;
        }
        if (!standardButtons)
            standardButtons = QMessageBox::Ok;
        box->setStandardButtons(standardButtons);
        for (const Choice& choice : choices) {
            QAbstractButton* button = box->button(choice.standard);
            if (!button)
                continue;
            const QString caption = ButtonText(choice.caption);
            if (!caption.isEmpty())
                button->setText(caption);
            if (choice.button == defaultButton)
                box->setDefaultButton(qobject_cast<QPushButton*>(button));
        }
        box.Run();
        if (!box.Alive())
            return CancelledAnswer(buttons);
        const QAbstractButton* clicked = box->clickedButton();
        for (const Choice& choice : choices) {
            if (clicked && clicked == box->button(choice.standard))
                return choice.button;
        }
        // Closed with the window's close box or Escape.
        return CancelledAnswer(buttons);
    }

    QString GetSaveFileName(QWidget* parent, const QString& title, const QString& suggestedPath,
                            const QString& filter) override {
        return ChooseFile(parent, title, suggestedPath, filter, QFileDialog::AcceptSave,
                          QFileDialog::AnyFile);
    }

    QString GetOpenFileName(QWidget* parent, const QString& title, const QString& startPath,
                            const QString& filter) override {
        return ChooseFile(parent, title, startPath, filter, QFileDialog::AcceptOpen,
                          QFileDialog::ExistingFile);
    }

    QStringList GetOpenFileNames(QWidget* parent, const QString& title, const QString& startPath,
                                 const QString& filter) override {
        return ChooseFiles(parent, title, startPath, filter, QFileDialog::AcceptOpen,
                           QFileDialog::ExistingFiles);
    }

    QString BrowseForFolder(QWidget* parent, const QString& title, const QString& startPath) override {
        return ChooseFile(parent, title, startPath, QString(), QFileDialog::AcceptOpen,
                          QFileDialog::Directory);
    }

    std::optional<QColor> ChooseColour(QWidget* parent, const QColor& initial) override {
        GuardedModal dialog(new QColorDialog(initial, parent));
        if (!dialog.Exec())
            return std::nullopt;
        const QColor colour = dialog->selectedColor();
        if (!colour.isValid())
            return std::nullopt;
        return colour;
    }

private:
    static QMessageBox::Icon ToQtIcon(MessageIcon icon) {
        switch (icon) {
            case MessageIcon::Information:
                return QMessageBox::Information;
            case MessageIcon::Warning:
                return QMessageBox::Warning;
            case MessageIcon::Error:
                return QMessageBox::Critical;
            case MessageIcon::Question:
                return QMessageBox::Question;
            case MessageIcon::None:
                break;
        }
        return QMessageBox::NoIcon;
    }
};

Dialogs* g_installed = nullptr;

}  // namespace

QStringList Dialogs::GetOpenFileNames(QWidget* parent, const QString& title, const QString& startPath,
                                      const QString& filter) {
    const QString path = GetOpenFileName(parent, title, startPath, filter);
    return path.isEmpty() ? QStringList() : QStringList{path};
}

Dialogs& AppDialogs() {
    static QtDialogs qtDialogs;
    return g_installed ? *g_installed : qtDialogs;
}

void SetAppDialogs(Dialogs* dialogs) {
    g_installed = dialogs;
}

void ShowError(QWidget* parent, const QString& text) {
    AppDialogs().MessageBox(parent, text, GetLanguageString("ErrorStrings", "ERRO"), MessageIcon::Error);
}

void ShowInformation(QWidget* parent, const QString& text) {
    AppDialogs().MessageBox(parent, text, QString(), MessageIcon::Information);
}

void ShowWarning(QWidget* parent, const QString& text) {
    AppDialogs().MessageBox(parent, text, QString(), MessageIcon::Warning);
}

bool AskYesNo(QWidget* parent, const QString& text) {
    return AppDialogs().MessageBox(parent, text, GetLanguageString("Strings", "CONF"), MessageIcon::Warning,
                                   kButtonYes | kButtonNo, kButtonNo) == kButtonYes;
}

SaveChoice AskSaveChanges(QWidget* parent) {
    const int answer = AppDialogs().MessageBox(parent, GetLanguageString("Strings", "SVCH"),
                                               GetLanguageString("Strings", "CONF"), MessageIcon::Question,
                                               kButtonSave | kButtonDiscard | kButtonCancel, kButtonSave);
    switch (answer) {
        case kButtonSave:
            return SaveChoice::Save;
        case kButtonDiscard:
            return SaveChoice::Discard;
        default:
            return SaveChoice::Cancel;
    }
}
