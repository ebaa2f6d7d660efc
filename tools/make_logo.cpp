// Draws the maker's logo shown in the About box (app/logo.jpg, 132 x 130). Kept to redraw it:
//   g++ -std=c++20 -fPIC tools/make_logo.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/make_logo
//   QT_QPA_PLATFORM=offscreen /tmp/make_logo app/logo.jpg

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    QImage image(132, 130, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 130);
    sky.setColorAt(0, QColor(20, 60, 120));
    sky.setColorAt(1, QColor(40, 110, 180));
    p.fillRect(image.rect(), sky);
    // A wave under a stylised K: water and instruments.
    QPainterPath wave;
    wave.moveTo(0, 92);
    wave.cubicTo(33, 76, 66, 108, 132, 88);
    wave.lineTo(132, 130);
    wave.lineTo(0, 130);
    wave.closeSubpath();
    p.fillPath(wave, QColor(230, 240, 250));
    p.setPen(QPen(QColor(255, 255, 255), 9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(40, 18), QPointF(40, 72));
    p.drawLine(QPointF(40, 48), QPointF(82, 18));
    p.drawLine(QPointF(52, 40), QPointF(86, 72));
    p.setPen(QColor(20, 60, 120));
    QFont font(QStringLiteral("Sans"), 12, QFont::Bold);
    p.setFont(font);
    p.drawText(QRect(0, 100, 132, 24), Qt::AlignCenter, QStringLiteral("KORVANE"));
    p.end();
    return image.save(QString::fromLocal8Bit(argv[1]), "JPG", 90) ? 0 : 1;
}
