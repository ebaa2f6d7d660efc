#include "ComsBox.h"

#include "ComPort.h"
#include "ControllerWire.h"
#include "Logging.h"
#include "Operator.h"
#include "PortError.h"
#include "Settings.h"
#include "StoredSettings.h"
#include "TextNumber.h"
#include "Twips.h"

#include <QComboBox>
#include <QCompleter>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <limits>

namespace {

constexpr int kFirstPort = 1;
constexpr int kLastPort = 16;
const QString kInvitation = QStringLiteral("Select Com Port");

QRect twipsRect(int left, int top, int width, int height) {
    return {px(left), px(top), px(width), px(height)};
}

// Opens and closes the port numbered n; raises PortError when it cannot.
void probe(ComPort& port, int number) {
    port.setCommPort(number);
    port.setSettings(QString::fromLatin1(ControllerWire::kLineSettings));
    port.setPortOpen(true);
    port.setPortOpen(false);
}

} // namespace

ComsBox::ComsBox(ComPort& port, Settings& settings, Operator& op, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_port(port), m_settings(settings), m_op(op) {
    setObjectName(QStringLiteral("ComsBox"));
    setWindowTitle(QStringLiteral("COM Port Selection"));
    setModal(true);
    setFixedSize(px(4185), px(2865));
    if (owner != nullptr) {
        move(owner->frameGeometry().topLeft() + QPoint(px(1470), px(600)));
    }

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(twipsRect(240, 2280, 1215, 375));
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setGeometry(twipsRect(2700, 2280, 1215, 375));
    ComFrame = new QGroupBox(QStringLiteral("Communications Ports"), this);
    ComFrame->setObjectName(QStringLiteral("ComFrame"));
    ComFrame->setGeometry(twipsRect(180, 120, 3735, 1815));
    ComsCombo = new QComboBox(this);
    ComsCombo->setObjectName(QStringLiteral("ComsCombo"));
    ComsCombo->setEditable(true);
    ComsCombo->setInsertPolicy(QComboBox::NoInsert);
    // Only an exact "COM" names a port: the box must not turn a typed "com 3" into the entry "COM 3".
    ComsCombo->completer()->setCaseSensitivity(Qt::CaseSensitive);
    ComsCombo->setEditText(kInvitation);
    ComsCombo->setGeometry(twipsRect(600, 900, 1515, 315));
    ComsCombo->hide();
    TestComs = new QPushButton(QStringLiteral("Test"), this);
    TestComs->setObjectName(QStringLiteral("TestComs"));
    TestComs->setGeometry(twipsRect(2460, 900, 915, 315));
    TestComs->hide();
    SearchText = new QLabel(QStringLiteral("Searching..."), ComFrame);
    SearchText->setObjectName(QStringLiteral("SearchText"));
    SearchText->setGeometry(twipsRect(420, 780, 1215, 315));

    setTabOrder(OKButton, CancelButton);
    setTabOrder(CancelButton, ComFrame);
    setTabOrder(ComFrame, ComsCombo);
    setTabOrder(ComsCombo, TestComs);

    connect(OKButton, &QPushButton::clicked, this, &ComsBox::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &ComsBox::CancelButton_Click);
    connect(TestComs, &QPushButton::clicked, this, &ComsBox::TestComs_Click);
    connect(&DisplayTimer, &QTimer::timeout, this, &ComsBox::DisplayTimer_Timer);
    DisplayTimer.start(500);
}

std::optional<int> ComsBox::portNumberOf(const QString& text) {
    if (!text.startsWith(QLatin1String("COM"))) {
        return std::nullopt;
    }
    const double number = roundHalfEven(leadingNumber(QStringView(text).mid(4)));
    if (number < std::numeric_limits<qint16>::min() || number > std::numeric_limits<qint16>::max()) {
        return std::nullopt;
    }
    return int(number);
}

void ComsBox::DisplayTimer_Timer() {
    DisplayTimer.stop();
    SearchPorts();
    for (int i = 0; i < ComsCombo->count(); ++i) {
        if (portNumberOf(ComsCombo->itemText(i)) == m_settings.PortNumber) {
            ComsCombo->setCurrentIndex(i);
            break;
        }
    }
    ComsCombo->show();
    TestComs->show();
    SearchText->hide();
}

void ComsBox::SearchPorts() {
    for (int number = kFirstPort; number <= kLastPort; ++number) {
        try {
            probe(m_port, number);
            ComsCombo->addItem(QStringLiteral("COM") + formatPortNumber(number));
            // Which device a number stands for tells a USB adapter from a built-in port.
            ComsCombo->setItemData(ComsCombo->count() - 1, m_port.deviceName(), Qt::ToolTipRole);
        } catch (const PortError& error) {
            // An absent device is the usual reason a number is left out; anything else is worth a warning.
            if (error.cause() == PortError::Cause::NoDevice ||
                error.cause() == PortError::Cause::InvalidNumber) {
                qCInfo(lcPort).noquote() << "COM" << number << "not listed:" << error.reason();
            } else {
                qCWarning(lcPort).noquote() << "COM" << number << "not listed:" << error.reason();
            }
        }
    }
    // Adding the first entry selects it; the box shows the chosen port, or the invitation to choose.
    ComsCombo->setCurrentIndex(-1);
    ComsCombo->setEditText(kInvitation);
}

void ComsBox::TestComs_Click() {
    try {
        // A text that does not begin with "COM" tests port 0, which fails like any missing port.
        const QString text = ComsCombo->currentText();
        const auto number =
            text.startsWith(QLatin1String("COM")) ? portNumberOf(text) : std::optional<int>(0);
        if (!number) {
            throw PortError(PortError::Cause::InvalidNumber,
                            QStringLiteral("\"%1\" names no port number that fits").arg(text));
        }
        probe(m_port, *number);
        m_op.messageBox(QStringLiteral("Coms Port is Available!"), MsgStyle::Ok + MsgStyle::Information,
                        QStringLiteral("Message"));
    } catch (const PortError& error) {
        qCWarning(lcPort).noquote() << "test of" << ComsCombo->currentText() << "failed:" << error.reason();
        m_op.messageBox(QStringLiteral("Port not available!"), MsgStyle::Ok + MsgStyle::Critical,
                        QStringLiteral("Warning"), error.reason());
    }
}

void ComsBox::OKButton_Click() {
    // With no entry chosen and nothing typed (before the search, or an empty list) OK keeps the port the
    // operator had, as Cancel does.
    const QString text = ComsCombo->currentText().trimmed();
    if (text.isEmpty() || text == kInvitation) {
        reject();
        return;
    }
    // A text that names no port, or a number beyond what a port number can hold, gives port 1.
    m_settings.PortNumber = portNumberOf(ComsCombo->currentText()).value_or(1);
    StoredSettings::writePortNumber(m_settings.PortNumber);
    accept();
}

void ComsBox::CancelButton_Click() {
    reject();
}
