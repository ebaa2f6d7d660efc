#include "Dialog.h"

#include "AppIcons.h"
#include "Twips.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

// The logo lives in this library's resources, which a static library must register itself.
static void loadResources() {
    Q_INIT_RESOURCE(resources);
}

namespace {

QFrame* frame(QWidget* parent, const char* name, int left, int top, int width, int height) {
    auto* box = new QFrame(parent);
    box->setObjectName(QLatin1String(name));
    box->setFrameShape(QFrame::Box);
    box->setGeometry(px(left), px(top), px(width), px(height));
    return box;
}

QLabel* label(QWidget* parent, const QString& name, const QString& text, int left, int top, int width,
              int height, bool red = false) {
    auto* item = new QLabel(text, parent);
    item->setObjectName(name);
    item->setGeometry(px(left), px(top), px(width), px(height));
    item->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (red) {
        QPalette palette = item->palette();
        palette.setColor(QPalette::WindowText, QColor(255, 0, 0));
        item->setPalette(palette);
    }
    return item;
}

} // namespace

Dialog::Dialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("Dialog"));
    setWindowTitle(QStringLiteral("About RM Controller Download Utility"));
    setWindowIcon(AppIcons::application());
    setModal(true);
    setFixedSize(px(6735), px(3195));
    // The fixed label boxes are sized for a small dialog font.
    QFont small = font();
    small.setPointSizeF(7);
    setFont(small);

    QFrame* frame1 = frame(this, "Frame1", 60, 120, 6555, 2475);
    Logo = new QLabel(frame1);
    Logo->setObjectName(QStringLiteral("Logo"));
    Logo->setFrameShape(QFrame::Box);
    Logo->setGeometry(px(120), px(240), px(2040), px(2025));
    loadResources();
    Logo->setPixmap(QPixmap(QStringLiteral(":/logo.jpg")));
    Logo->setScaledContents(true);

    QFrame* frame2 = frame(frame1, "Frame2", 2580, 240, 1335, 2055);
    label(frame2, QStringLiteral("Label1_0"), QStringLiteral("Software:"), 180, 240, 855, 195);
    label(frame2, QStringLiteral("Label1_1"), QStringLiteral("R7305    Version 1.7"), 240, 480, 855, 435,
          true)
        ->setWordWrap(true);
    label(frame2, QStringLiteral("Label1_3"), QStringLiteral("Release Date:"), 180, 1260, 1095, 195);
    label(frame2, QStringLiteral("Label1_2"), QStringLiteral("2 Sept 2009"), 180, 1560, 1095, 195, true);

    // The contact details stand in the right-hand part of Frame1, drawn above it.
    QFrame* frame3 = frame(this, "Frame3", 4140, 240, 2415, 2235);
    frame3->raise();
    label(frame3, QStringLiteral("Label2"), QStringLiteral("Korvane Instruments Ltd"), 240, 180, 2055, 255);
    label(frame3, QStringLiteral("Label4"), QStringLiteral("Address:"), 240, 420, 735, 255);
    label(frame3, QStringLiteral("Label3"),
          QStringLiteral("Unit 7, Harbour Works\nMillbrook Road\nExampleton EX4 7RM"), 660, 600, 1455, 795)
        ->setWordWrap(true);
    label(frame3, QStringLiteral("Label5"), QStringLiteral("Tel: +44 1632 960 417"), 360, 1500, 1635, 195);
    label(frame3, QStringLiteral("Label6"), QStringLiteral("Fax: +44 1632 960 418"), 360, 1740, 1635, 195);
    label(frame3, QStringLiteral("Label7"), QStringLiteral("Email: support@example.com"), 180, 1980, 2055,
          195);

    Ok = new QPushButton(QStringLiteral("OK"), this);
    Ok->setObjectName(QStringLiteral("Ok"));
    Ok->setGeometry(px(2400), px(2700), px(1215), px(375));
    // Neither default nor cancel button (see keyPressEvent).
    Ok->setAutoDefault(false);
    Ok->setDefault(false);
    connect(Ok, &QPushButton::clicked, this, &Dialog::Ok_Click);
}

void Dialog::Ok_Click() {
    accept();
}

void Dialog::keyPressEvent(QKeyEvent* event) {
    // Enter presses OK only when OK has the focus, and Escape never closes the box: it has no default
    // and no cancel button.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (Ok->hasFocus()) {
            Ok->click();
        }
        [[fallthrough]];
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        break;
    }
    QDialog::keyPressEvent(event);
}
