#pragma once
// The main window's tab control: a row of tab items whose captions the program
// draws itself, over a white display area in which exactly one page shows.
// Each page sits in a scroll area laid out inside the display area.

#include <QTabBar>

class QScrollArea;
#include <QWidget>
#include <vector>

class TabCaptionBar : public QTabBar {
    Q_OBJECT
public:
    explicit TabCaptionBar(QWidget* parent = nullptr);

    // The caption as drawn: read back from the item, at most 30 characters.
    QString DrawnCaption(int index) const { return tabText(index).left(30); }

protected:
    QSize tabSizeHint(int index) const override;
    void paintEvent(QPaintEvent* event) override;
};

class TabControl : public QWidget {
    Q_OBJECT
public:
    // Height of the tab row; the pages start below it.
    static constexpr int kTabRowHeight = 22;

    explicit TabControl(QWidget* parent = nullptr);

    // Appends a tab item and its page (which becomes a child of the control).
    int AddTab(const QString& caption, QWidget* page);
    void SetCaption(int index, const QString& caption);
    QString Caption(int index) const;
    int Count() const { return static_cast<int>(m_pages.size()); }
    QWidget* Page(int index) const;

    int CurrentIndex() const;
    void SetCurrentIndex(int index);
    TabCaptionBar* Bar() const { return m_bar; }

    // The font of the tab captions: a small sans serif, 12 pixels high.
    static QFont CaptionFont();

Q_SIGNALS:
    void CurrentChanged(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void ShowOnly(int index);
    void LayoutPages();

    TabCaptionBar* m_bar;
    std::vector<QWidget*> m_pages;
    std::vector<QScrollArea*> m_frames;  // one around each page
};
