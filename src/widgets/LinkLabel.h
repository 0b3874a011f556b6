#pragma once
// A static text that may carry a link address and a picture. The status line,
// the home-page link and several page labels are LinkLabels. With a link
// address it shows a hand cursor, offers the address as its tooltip and opens
// it with the desktop's handler on a left-button press.

#include <QPixmap>
#include <QString>
#include <QWidget>

class LinkLabel : public QWidget {
    Q_OBJECT
public:
    explicit LinkLabel(QWidget* parent = nullptr);

    void SetText(const QString& text);
    QString Text() const { return m_text; }

    // A non-empty address turns the label into a link; an empty one is ignored,
    // as a label once made a link stays one.
    void SetLink(const QString& address);
    QString Link() const { return m_link; }

    // Draws the picture at the top-left corner, scaled to width x height, with
    // white treated as transparent. pictureNumber 0 removes it.
    void SetPicture(int pictureNumber, const QPixmap& picture, int width, int height);
    int PictureNumber() const { return m_pictureNumber; }

    QSize sizeHint() const override;

Q_SIGNALS:
    void Clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QString m_text;
    QString m_link;
    int m_pictureNumber = 0;
    QPixmap m_picture;
};
