#include "support/ScriptedDialogs.h"

#include "language/Language.h"
#include "units/SafeFormat.h"

#include <gtest/gtest.h>

namespace {
const char* KindName(ScriptedDialogs::Kind kind) {
    switch (kind) {
        case ScriptedDialogs::Kind::Message:
            return "message box";
        case ScriptedDialogs::Kind::SaveFile:
            return "save-file chooser";
        case ScriptedDialogs::Kind::OpenFile:
            return "open-file chooser";
        case ScriptedDialogs::Kind::Folder:
            return "folder browser";
        case ScriptedDialogs::Kind::Colour:
            return "colour chooser";
    }
    return "?";
}

// A failure message as the program shows it, with reason as its reason.
QString WithReason(const QString& message, const QString& reason) {
    return message + QStringLiteral("\n\n") +
           SafeFormat(GetLanguageString("FailureReasons", "RESN"), {reason});
}

// What a cancelled message box returns.
int CancelButton(int buttons) {
    if (buttons & kButtonCancel)
        return kButtonCancel;
    if (buttons & kButtonNo)
        return kButtonNo;
    return kButtonOk;
}
}  // namespace

ScriptedDialogs::ScriptedDialogs() {
    SetAppDialogs(this);
}

ScriptedDialogs::~ScriptedDialogs() {
    SetAppDialogs(nullptr);
    EXPECT_TRUE(m_answers.empty()) << m_answers.size() << " scripted answer(s) were never asked for; next: "
                                   << KindName(m_answers.front().kind);
}

void ScriptedDialogs::AnswerMessage(int button, std::optional<QString> expectedText) {
    m_answers.push_back({Kind::Message, button, {}, {}, std::move(expectedText)});
}
void ScriptedDialogs::AnswerFailure(int button, const QString& message, std::optional<QString> reason) {
    if (reason) {
        AnswerMessage(button, WithReason(message, *reason));
        return;
    }
    m_answers.push_back({Kind::Message, button, {}, {}, message, {}, true});
}

void ScriptedDialogs::AnswerReportWritten(int button) {
    Answer answer{Kind::Message, button, {}, {}, GetLanguageString("Strings", "EXPC")};
    answer.startsWith = true;
    m_answers.push_back(answer);
}

void ScriptedDialogs::AnswerSaveFile(const QString& path) {
    m_answers.push_back({Kind::SaveFile, 0, path, {}, {}});
}
void ScriptedDialogs::AnswerOpenFile(const QString& path) {
    m_answers.push_back({Kind::OpenFile, 0, path, {}, {}});
}
void ScriptedDialogs::AnswerOpenFiles(const QStringList& paths) {
    m_answers.push_back({Kind::OpenFile, 0, paths.value(0), {}, {}, paths});
}
void ScriptedDialogs::AnswerFolder(const QString& path) {
    m_answers.push_back({Kind::Folder, 0, path, {}, {}});
}
void ScriptedDialogs::AnswerColour(std::optional<QColor> colour) {
    m_answers.push_back({Kind::Colour, 0, {}, colour, {}});
}

std::vector<QString> ScriptedDialogs::MessagesAsked() const {
    std::vector<QString> texts;
    for (const Question& q : m_asked) {
        if (q.kind == Kind::Message)
            texts.push_back(q.text);
    }
    return texts;
}

std::optional<ScriptedDialogs::Answer> ScriptedDialogs::Next(Kind kind, const Question& question) {
    m_asked.push_back(question);
    if (m_answers.empty()) {
        ADD_FAILURE() << "unexpected " << KindName(kind) << ": \"" << question.text.toStdString() << "\"";
        return std::nullopt;
    }
    if (m_answers.front().kind != kind) {
        ADD_FAILURE() << "expected a " << KindName(m_answers.front().kind) << " but was asked a "
                      << KindName(kind) << ": \"" << question.text.toStdString() << "\"";
        m_answers.pop_front();  // one failure is enough; the answer meant for it is spent
        return std::nullopt;
    }
    Answer answer = m_answers.front();
    m_answers.pop_front();
    if (answer.anyReason) {
        const QString prefix = WithReason(*answer.expectedText, QString());
        if (!question.text.startsWith(prefix) || question.text.size() == prefix.size()) {
            ADD_FAILURE() << "message box text \"" << question.text.toStdString() << "\", expected \""
                          << prefix.toStdString() << "\" and a reason";
        }
    } else if (answer.startsWith) {
        if (!question.text.startsWith(*answer.expectedText)) {
            ADD_FAILURE() << "message box text \"" << question.text.toStdString()
                          << "\", expected it to start with \"" << answer.expectedText->toStdString() << "\"";
        }
    } else if (answer.expectedText && *answer.expectedText != question.text) {
        ADD_FAILURE() << "message box text \"" << question.text.toStdString() << "\", expected \""
                      << answer.expectedText->toStdString() << "\"";
    }
    return answer;
}

int ScriptedDialogs::MessageBox(QWidget*, const QString& text, const QString& title, MessageIcon icon,
                                int buttons, int defaultButton) {
    const auto answer =
        Next(Kind::Message, {Kind::Message, text, title, icon, buttons, defaultButton, {}, {}});
    if (!answer)
        return CancelButton(buttons);
    if (!(answer->button & buttons)) {
        ADD_FAILURE() << "scripted answer " << answer->button << " is not among the buttons offered ("
                      << buttons << ") for \"" << text.toStdString() << "\"";
        return CancelButton(buttons);
    }
    return answer->button;
}

QString ScriptedDialogs::GetSaveFileName(QWidget*, const QString& title, const QString& suggestedPath,
                                         const QString& filter) {
    const auto answer = Next(Kind::SaveFile, {Kind::SaveFile, title, {}, {}, 0, 0, suggestedPath, filter});
    return answer ? answer->path : QString();
}

QString ScriptedDialogs::GetOpenFileName(QWidget*, const QString& title, const QString& startPath,
                                         const QString& filter) {
    const auto answer = Next(Kind::OpenFile, {Kind::OpenFile, title, {}, {}, 0, 0, startPath, filter});
    return answer ? answer->path : QString();
}

QStringList ScriptedDialogs::GetOpenFileNames(QWidget*, const QString& title, const QString& startPath,
                                              const QString& filter) {
    const auto answer = Next(Kind::OpenFile, {Kind::OpenFile, title, {}, {}, 0, 0, startPath, filter});
    if (!answer) {
        return {};
    }
    // A one-file answer serves a several-file chooser too.
    return !answer->paths.isEmpty() || answer->path.isEmpty() ? answer->paths : QStringList{answer->path};
}

QString ScriptedDialogs::BrowseForFolder(QWidget*, const QString& title, const QString& startPath) {
    const auto answer = Next(Kind::Folder, {Kind::Folder, title, {}, {}, 0, 0, startPath, {}});
    return answer ? answer->path : QString();
}

std::optional<QColor> ScriptedDialogs::ChooseColour(QWidget*, const QColor& initial) {
    const auto answer = Next(Kind::Colour, {Kind::Colour, initial.name(), {}, {}, 0, 0, {}, {}});
    return answer ? answer->colour : std::nullopt;
}
