#pragma once
// The about and help page: the product's name and version, a short text about
// the program and the components it is built on, and a button that opens the
// help document in the web browser.

#include "widgets/TabPage.h"

#include <QString>

class ImageButton;
class LinkLabel;
class QLabel;
class QPlainTextEdit;

// The text of the about box, one line per "\n": the product's own block (name
// and version, what it is, its home page), an empty line, then one block per
// component the program is built on.
QString BuildAboutText();

class HelpDlg : public TabPage {
    Q_OBJECT
public:
    HelpDlg(LinkLabel& statusLine, QWidget* parent);

    void RefreshCaptions() override;

    // The help document of the program directory.
    static QString HelpDocumentPath();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FillPage();
    void KeepAboutText();
    void OnViewHelp();

    LinkLabel* m_icon;
    LinkLabel* m_title;
    ImageButton* m_viewHelp;
    QLabel* m_tagline;
    QLabel* m_picture;
    QPlainTextEdit* m_aboutBox;
    QString m_aboutText;
};
