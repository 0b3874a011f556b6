#pragma once
// A row of controls that wraps: items stand left to right and the next one
// starts a new line where it would not fit, so a narrow window (or a language
// with long captions) gets a second line of controls instead of a page that
// scrolls sideways. The items of a line stand on a common bottom edge, so a
// control under its label lines up with a button or a control beside its
// label; an item that stretches takes the room left at the end of its line.

#include <QLayout>
#include <vector>

class FlowLayout : public QLayout {
public:
    FlowLayout(int horizontalSpacing, int verticalSpacing);
    ~FlowLayout() override;

    void AddWidget(QWidget* widget, bool stretches = false);
    void AddLayout(QLayout* layout, bool stretches = false);
    // The next item starts a new line, however much room is left.
    void AddBreak();

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    // As wide as the widest item, as high as the highest: the height a
    // width needs comes from heightForWidth.
    QSize minimumSize() const override;
    // Every item on one line.
    QSize sizeHint() const override;
    void setGeometry(const QRect& rect) override;

private:
    struct Entry {
        QLayoutItem* item;
        bool stretches;
        bool breakBefore;
    };
    // Places the items within rect when apply; returns the height they take.
    int Arrange(const QRect& rect, bool apply) const;

    std::vector<Entry> m_entries;
    bool m_breakNext = false;
    int m_horizontalSpacing;
    int m_verticalSpacing;
};
