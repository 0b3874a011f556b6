#pragma once
// The push button of every tab page: one shared button face stretched over
// the button, the caption (without its accelerator mark) centred on top. While
// pressed, face and caption move one pixel right and down. The accelerator
// still works: the caption keeps its "&" for Qt, it is only not drawn.

#include <QPushButton>

class ImageButton : public QPushButton {
    Q_OBJECT
public:
    explicit ImageButton(QWidget* parent = nullptr);
    explicit ImageButton(const QString& caption, QWidget* parent = nullptr);

    // The caption as drawn: every "&" removed.
    static QString DrawnCaption(const QString& caption);

    QSize sizeHint() const override;
    // The narrowest the button can be with its caption drawn whole.
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
