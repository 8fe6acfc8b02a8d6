// The floor of the stack the program stands on: a bare Qt Widgets program with one frameless
// 296 x 216 window painting a picture, and a tray icon. The benchmarks run it the same way as
// the program and print the program's figures as ratios of its. With --text the window also
// writes a line of text, as any calendar must: the floor of the text stack (fonts, shaping)
// comes with it.

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    const bool text = QCoreApplication::arguments().contains(QStringLiteral("--text"));
    QPixmap picture(16, 16);
    picture.fill(QColor(0x3c, 0x8a, 0xd0));
    QSystemTrayIcon tray{QIcon(picture)};
    tray.show();
    QImage face(296, 216, QImage::Format_RGB32);
    for (int y = 0; y < face.height(); ++y)
        for (int x = 0; x < face.width(); ++x)
            face.setPixel(x, y, qRgb(40 + x / 2, 60 + y / 2, 140));
    struct TFace final : QWidget {
        QImage Picture;
        bool Text = false;
        void paintEvent(QPaintEvent*) override
        {
            QPainter painter(this);
            painter.drawImage(0, 0, Picture);
            if (Text)
                painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("Sun 7 December 2026"));
        }
    } window;
    window.Picture = face;
    window.Text = text;
    window.setWindowFlag(Qt::FramelessWindowHint);
    window.setFixedSize(face.size());
    window.show();
    return QApplication::exec();
}
