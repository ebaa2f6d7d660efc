#include "AppIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace {

using Painter = std::function<void(QPainter&)>;

// Draws on a 32 x 32 canvas, scaled to each size.
QIcon drawn(const Painter& paint, std::initializer_list<int> sizes) {
    QIcon icon;
    for (const int size : sizes) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 32.0, size / 32.0);
        paint(painter);
        icon.addPixmap(pixmap);
    }
    return icon;
}

void drawController(QPainter& p) {
    p.setPen(QPen(QColor(30, 50, 90), 1.5));
    p.setBrush(QColor(60, 110, 170));
    p.drawRoundedRect(QRectF(3, 5, 26, 22), 3, 3);
    p.setBrush(QColor(170, 230, 170));
    p.drawRect(QRectF(7, 9, 18, 7));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 40, 40));
    p.drawEllipse(QPointF(10, 22), 2, 2);
    p.setBrush(QColor(240, 200, 40));
    p.drawEllipse(QPointF(16, 22), 2, 2);
}

void drawPlug(QPainter& p) {
    p.setPen(QPen(QColor(40, 40, 40), 1.5));
    p.setBrush(QColor(200, 200, 210));
    QPainterPath shell;
    shell.moveTo(3, 9);
    shell.lineTo(29, 9);
    shell.lineTo(25, 23);
    shell.lineTo(7, 23);
    shell.closeSubpath();
    p.drawPath(shell);
    p.setBrush(QColor(40, 40, 40));
    for (int i = 0; i < 5; ++i) {
        p.drawEllipse(QPointF(8 + i * 4, 14), 1.2, 1.2);
    }
    for (int i = 0; i < 4; ++i) {
        p.drawEllipse(QPointF(10 + i * 4, 19), 1.2, 1.2);
    }
}

void drawArrowDown(QPainter& p) {
    p.setPen(QPen(QColor(20, 90, 30), 1.5));
    p.setBrush(QColor(60, 170, 70));
    QPainterPath arrow;
    arrow.moveTo(12, 3);
    arrow.lineTo(20, 3);
    arrow.lineTo(20, 15);
    arrow.lineTo(27, 15);
    arrow.lineTo(16, 27);
    arrow.lineTo(5, 15);
    arrow.lineTo(12, 15);
    arrow.closeSubpath();
    p.drawPath(arrow);
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.drawLine(QPointF(4, 30), QPointF(28, 30));
}

void drawDisk(QPainter& p) {
    p.setPen(QPen(QColor(20, 30, 80), 1.5));
    p.setBrush(QColor(50, 80, 170));
    p.drawRoundedRect(QRectF(3, 3, 26, 26), 2, 2);
    p.setBrush(QColor(235, 235, 235));
    p.drawRect(QRectF(8, 3, 16, 10));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(QRectF(8, 18, 16, 11));
}

void drawQuery(QPainter& p) {
    drawController(p);
    p.setPen(QPen(QColor(20, 20, 20), 2.5));
    QFont font = p.font();
    font.setPixelSize(14);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(7, 8, 18, 9), Qt::AlignCenter, QStringLiteral("#"));
}

} // namespace

namespace AppIcons {

QIcon application() {
    return drawn(drawController, {16, 24, 32, 48});
}
void paintApplication(QPainter& painter) {
    drawController(painter);
}
QIcon serialPort() {
    return drawn(drawPlug, {16, 32});
}
QIcon download() {
    return drawn(drawArrowDown, {16, 32});
}
QIcon save() {
    return drawn(drawDisk, {16});
}
QIcon query() {
    return drawn(drawQuery, {16, 32});
}

} // namespace AppIcons
