#include "support/MemoHostDlg.h"

#include "language/Language.h"
#include "memo/MemoEditor.h"

namespace {
// Room around the editor, as the record editors leave at its sides.
constexpr int kMargin = 10;
}  // namespace

MemoHostDlg::MemoHostDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("MemoHostDlg"));
    setWindowTitle(GetLanguageString("MainDlg", "MYRS"));
    resize(760, 480);
    m_editor = new MemoEditor(this);
    m_editor->setGeometry(rect().adjusted(kMargin, kMargin, -kMargin, -kMargin));
}

bool MemoHostDlg::Open(const QString& folder) {
    return m_editor->OpenDocument(folder);
}

void MemoHostDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    m_editor->setGeometry(rect().adjusted(kMargin, kMargin, -kMargin, -kMargin));
}
