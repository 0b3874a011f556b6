#pragma once
// Dialogs for tests: each question is answered from a queue the test fills
// beforehand, and every question asked is recorded. A question nobody
// scripted, or one of another kind than the next answer, fails the test and
// is answered as if the user cancelled. Installs itself for its lifetime, and
// fails the test if scripted answers were left unused.

#include "platform/Dialogs.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

class ScriptedDialogs : public Dialogs {
public:
    enum class Kind { Message, SaveFile, OpenFile, Folder, Colour };

    struct Question {
        Kind kind;
        QString text;   // message text, or the chooser's title
        QString title;  // message title
        MessageIcon icon = MessageIcon::None;
        int buttons = 0;
        int defaultButton = 0;
        QString path;    // chooser's suggested or start path
        QString filter;  // chooser's filter
    };

    ScriptedDialogs();
    ~ScriptedDialogs() override;

    // The next message box is answered with button. With expectedText, the
    // text asked must equal it.
    void AnswerMessage(int button, std::optional<QString> expectedText = std::nullopt);
    // The next message box reports a failure: its text is message followed by
    // a reason ("Reason: ..."), which must be reason when that is given.
    void AnswerFailure(int button, const QString& message, std::optional<QString> reason = std::nullopt);
    // The next message box says a report was written (and offers to open
    // it); No leaves it unopened.
    void AnswerReportWritten(int button = kButtonNo);
    void AnswerSaveFile(const QString& path);  // empty = cancel
    void AnswerOpenFile(const QString& path);  // empty = cancel
    // An open-file chooser that takes several files answers with these; empty = cancel.
    void AnswerOpenFiles(const QStringList& paths);
    void AnswerFolder(const QString& path);  // empty = cancel
    void AnswerColour(std::optional<QColor> colour);

    const std::vector<Question>& Asked() const { return m_asked; }
    // Texts of the message boxes asked so far, in order.
    std::vector<QString> MessagesAsked() const;
    size_t Unanswered() const { return m_answers.size(); }

    int MessageBox(QWidget* parent, const QString& text, const QString& title, MessageIcon icon, int buttons,
                   int defaultButton) override;
    QString GetSaveFileName(QWidget* parent, const QString& title, const QString& suggestedPath,
                            const QString& filter) override;
    QString GetOpenFileName(QWidget* parent, const QString& title, const QString& startPath,
                            const QString& filter) override;
    QStringList GetOpenFileNames(QWidget* parent, const QString& title, const QString& startPath,
                                 const QString& filter) override;
    QString BrowseForFolder(QWidget* parent, const QString& title, const QString& startPath) override;
    std::optional<QColor> ChooseColour(QWidget* parent, const QColor& initial) override;

private:
    struct Answer {
        Kind kind;
        int button = 0;
        QString path;
        std::optional<QColor> colour;
        std::optional<QString> expectedText;
        QStringList paths = {};
        // expectedText is a failure message that must be followed by some reason.
        bool anyReason = false;
        // The text asked must only start with expectedText.
        bool startsWith = false;
    };

    // Takes the next answer if it is of the given kind; records a failure otherwise.
    std::optional<Answer> Next(Kind kind, const Question& question);

    std::deque<Answer> m_answers;
    std::vector<Question> m_asked;
};
