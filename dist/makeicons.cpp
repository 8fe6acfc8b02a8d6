// Writes the program's picture as the PNG files of the icon theme, one per size:
//
//   makeicons FOLDER SIZE...     FOLDER/SIZE.png for each SIZE (pixels)
//
// Run at build time on the offscreen platform, so that the installed icons are the very
// picture the program's windows show.
#include "desktop/guiservices.h"

#include <QGuiApplication>
#include <QPixmap>

#include <cstdio>

int main(int argc, char* argv[])
{
    QGuiApplication application(argc, argv);
    if (argc < 3) {
        std::fputs("usage: makeicons FOLDER SIZE...\n", stderr);
        return 64;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        const QString file = QStringLiteral("%1/%2.png").arg(folder).arg(size);
        if (size <= 0 || !orvenna::desktop::ProgramPicture(size).save(file, "PNG")) {
            std::fprintf(stderr, "makeicons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
