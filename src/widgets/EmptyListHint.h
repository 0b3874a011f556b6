#pragma once
// What an empty list says to do first. A few lines of text in the middle of
// the list and, below them, buttons that start what the text suggests (the
// page's New, the ride page's Import), lying over the list's viewport and
// following its size. The page shows it when its list is empty and says why:
// a log without any bicycle or record invites the first one; a list that its
// filter merely leaves empty says so, without offering to start over.

#include <QWidget>
#include <initializer_list>

class QAbstractScrollArea;
class QLabel;
class QPushButton;
class QVBoxLayout;

class EmptyListHint : public QWidget {
    Q_OBJECT
public:
    // Lies over list's viewport, hidden until ShowHint.
    explicit EmptyListHint(QAbstractScrollArea* list);

    // A button of the hint, hidden until a ShowHint names it. A link button
    // is drawn as a link, for a second, quieter choice beside the first.
    enum class ActionLook { Button, Link };
    QPushButton* AddAction(const char* objectName, ActionLook look = ActionLook::Button);
    static void SetLook(QPushButton* button, ActionLook look);

    // Shows text over the list with the given buttons, in that order, and a
    // quieter note below them; the other buttons are hidden.
    void ShowHint(const QString& text, std::initializer_list<QPushButton*> actions = {},
                  const QString& note = QString());
    void HideHint();

    // What the hint says while shown; empty while hidden.
    QString Text() const;
    QString Note() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FollowViewport();

    // The list's viewport, which the hint covers. Held apart from the list:
    // while the list is being destroyed it is no scroll area any more, but
    // its viewport still sends the events the hint follows.
    QWidget* m_viewport;
    QLabel* m_text;
    QLabel* m_note;
    QVBoxLayout* m_actions;
    QList<QPushButton*> m_buttons;
};
