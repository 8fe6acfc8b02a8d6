#include "app/noticefrm.h"

#include "desktop/guiservices.h"

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace orvenna::app {

const char* const NoticeText = QT_TRANSLATE_NOOP(
    "orvenna::app::TForm1",
    "         When the program first runs, it will minimize to an icon in right bottom area of "
    "task bar.The calendar will be shown as  the desktop appears. It sticks on the desktop "
    "wallpaper even the \"toggle desktop\" button be clicked.");

namespace {

// The program's dialog face at the size.
QFont DialogFont(int pixelSize, bool bold)
{
    QFont font = desktop::DialogFont();
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

}  // namespace

TForm1::TForm1(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setWindowTitle(tr("Notice"));
    setFixedSize(424, 238);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(0xd4, 0xd0, 0xc8));  // the inactive border colour
    setPalette(colours);
    move(192, 133);

    auto* panel2 = new QFrame(this);
    panel2->setObjectName(QStringLiteral("Panel2"));
    panel2->setGeometry(0, 0, 424, 41);
    panel2->setAutoFillBackground(true);
    QPalette white = panel2->palette();
    white.setColor(QPalette::Window, Qt::white);
    panel2->setPalette(white);
    Label2 = new QLabel(tr("Note"), panel2);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(DialogFont(24, true));
    Label2->move(16, 8);
    Label2->adjustSize();

    auto* panel1 = new QFrame(this);
    panel1->setObjectName(QStringLiteral("Panel1"));
    panel1->setGeometry(0, 41, 425, 161);
    panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel1->setLineWidth(1);
    Label1 = new QLabel(tr(NoticeText), panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(18, 28, 389, 78);
    Label1->setWordWrap(true);
    Label1->setTextFormat(Qt::PlainText);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setFont(DialogFont(11, false));

    Button1 = new QPushButton(tr("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(328, 208, 75, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
}

void TForm1::Button1Click()
{
    close();
}

}  // namespace orvenna::app
