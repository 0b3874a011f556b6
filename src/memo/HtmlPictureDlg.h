#pragma once
// The dialog that picks a picture for a memo, or changes the file and size of
// one already in it, and the markup that puts a picked picture into the memo.

#include <QDialog>
#include <QSize>
#include <QString>

class QLineEdit;
class QPushButton;
class QRadioButton;

enum class PictureMode { New, Modify };

// The values exchanged with the dialog.
struct PictureRequest {
    PictureMode mode = PictureMode::New;
    QString filePath;  // in modify mode: the picture's address as the view reports it
    int sizeMode = 0;  // 0 original size, 1 resized to width x height
    int width = 0;
    int height = 0;
};

// The picture element for a file copied into data.files:
// <img src="data.files/NAME" W H> where W is ` width="N" ` when resized and a
// single space otherwise, and H likewise for the height. NAME is the file
// name unchanged but for quotes, which are written as &quot;.
QString BuildPictureMarkup(const QString& fileName, int sizeMode, int width, int height);

class HtmlPictureDlg : public QDialog {
    Q_OBJECT
public:
    HtmlPictureDlg(const PictureRequest& request, QWidget* parent = nullptr);

    // The request as confirmed; unchanged unless the dialog was accepted.
    const PictureRequest& Request() const { return m_request; }

private:
    void OnBrowse();
    void OnSizeModeChanged();
    void OnConfirm();
    // Fills the other side in the picture's proportions, unless the rider
    // typed that one too: a side that is empty, or was filled here or shown
    // when the dialog opened, follows the side typed last.
    void OnSideEdited(QLineEdit* typed);
    // The picture's own width and height, read from the file named in the
    // path field; when it cannot be read, the size the picture had when the
    // dialog opened. Empty when neither is known.
    QSize Proportions();

    PictureRequest m_request;
    QLineEdit* m_filePath = nullptr;
    QRadioButton* m_originalSize = nullptr;
    QRadioButton* m_resize = nullptr;
    QLineEdit* m_width = nullptr;
    QLineEdit* m_height = nullptr;
    QPushButton* m_confirm = nullptr;
    bool m_widthTyped = false;
    bool m_heightTyped = false;
    QString m_sizePath;  // the file m_pictureSize was read from
    QSize m_pictureSize;
};

// Shows the dialog modally (through RunModal, platform/ModalRun.h). True when the user confirmed; request
// then holds the dialog's values, otherwise it is unchanged.
bool RunPictureDialog(QWidget* parent, PictureRequest& request);
