// Draws the installed application icon (packaging/icons/hicolor/NxN/apps/rm7-download.png) at each size
// from the picture the window uses. Kept to redraw them:
//   g++ -std=c++20 -fPIC -Iapp tools/make_icons.cpp app/AppIcons.cpp $(pkg-config --cflags --libs Qt6Gui) \
//       -o /tmp/make_icons
//   QT_QPA_PLATFORM=offscreen /tmp/make_icons packaging/icons/hicolor
// The scalable icon (scalable/apps/rm7-download.svg) is the same picture written by hand.

#include "AppIcons.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        return 2;
    }
    const QString theme = QString::fromLocal8Bit(argv[1]);
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(theme).arg(size);
        QImage image(size, size, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 32.0, size / 32.0);
        AppIcons::paintApplication(painter);
        painter.end();
        if (!QDir().mkpath(folder) || !image.save(folder + QStringLiteral("/rm7-download.png"), "PNG")) {
            return 1;
        }
    }
    return 0;
}
