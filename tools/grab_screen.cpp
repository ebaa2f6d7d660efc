// Saves the X screen as a PNG, for the README's screenshot taken under Xvfb:
//   g++ -std=c++20 -fPIC tools/grab_screen.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/grab_screen
//   /tmp/grab_screen out.png [x y width height]

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    QPixmap shot = screen->grabWindow(0);
    if (argc >= 6) {
        shot = shot.copy(atoi(argv[2]), atoi(argv[3]), atoi(argv[4]), atoi(argv[5]));
    }
    return shot.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
