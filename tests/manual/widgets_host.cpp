// Shows the shared page widgets (image buttons in their states, link labels)
// on a white page, for looking at them by hand:
//   /work/shared/tools/shot.sh out.png 3 -- build/widgets_host
#include "widgets/ImageButton.h"
#include "widgets/LinkLabel.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget page;
    page.setAutoFillBackground(true);
    QPalette white = page.palette();
    white.setColor(QPalette::Window, Qt::white);
    page.setPalette(white);

    auto* layout = new QVBoxLayout(&page);
    auto* buttons = new QHBoxLayout;
    for (const char* caption : {"&New", "&Modify", "&Delete", "E&xport"}) {
        auto* button = new ImageButton(QString::fromLatin1(caption), &page);
        button->setFixedSize(104, 34);
        buttons->addWidget(button);
    }
    auto* wide = new ImageButton(QStringLiteral("A wider &button"), &page);
    wide->setFixedSize(180, 28);
    buttons->addWidget(wide);
    auto* disabled = new ImageButton(QStringLiteral("Di&sabled"), &page);
    disabled->setFixedSize(104, 34);
    disabled->setEnabled(false);
    buttons->addWidget(disabled);
    layout->addLayout(buttons);

    auto* plain = new LinkLabel(&page);
    plain->SetText(QStringLiteral("A status line text"));
    plain->setMinimumHeight(18);
    layout->addWidget(plain);
    auto* link = new LinkLabel(&page);
    link->SetText(QStringLiteral("https://velomarq.org"));
    link->SetLink(QStringLiteral("https://velomarq.org"));
    link->setMinimumHeight(18);
    layout->addWidget(link);
    auto* picture = new LinkLabel(&page);
    picture->SetPicture(1, QPixmap(QStringLiteral(":/app_icon_32.png")), 32, 32);
    picture->setFixedSize(32, 32);
    layout->addWidget(picture);

    page.resize(760, 200);
    page.show();
    return app.exec();
}
