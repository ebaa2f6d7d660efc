#include "ComsBox.h"

#include "ComPort.h"
#include "ControllerWire.h"
#include "Logging.h"
#include "Operator.h"
#include "PortDevices.h"
#include "PortError.h"
#include "Settings.h"
#include "StoredSettings.h"
#include "TextNumber.h"
#include "Twips.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <limits>

namespace {

// Adapters plugged in or pulled out show in the list within this time.
constexpr int kDeviceWatchMs = 1000;

// What an entry keeps besides its text: the name OK pins its number to, and the device of an entry placed
// under a free number (which does not reach it by itself until it is pinned).
constexpr int kPinRole = Qt::UserRole;
constexpr int kPlacedDeviceRole = Qt::UserRole + 1;

const QString kInvitation = QStringLiteral("Select Com Port");

QRect twipsRect(int left, int top, int width, int height) {
    return {px(left), px(top), px(width), px(height)};
}

// Opens and closes the port numbered n; raises PortError when it cannot.
void probe(ComPort& port, int number, const QString& device = QString()) {
    if (device.isEmpty()) {
        port.setCommPort(number);
    } else {
        port.setCommPort(number, device);
    }
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
    connect(&m_deviceWatch, &QTimer::timeout, this, &ComsBox::followDevices);
    // A chosen entry is read from its start: the number first, then as much of the description as fits.
    connect(ComsCombo, &QComboBox::currentIndexChanged, this, [this] { ComsCombo->lineEdit()->home(false); });
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
    m_deviceWatch.start(kDeviceWatchMs);
}

void ComsBox::SearchPorts() {
    // Numbers without a device are not opened: there is nothing to find there.
    for (const PortChoices::Entry& entry : m_choices.look()) {
        if (opens(entry)) {
            m_listed << entry;
        }
    }
    showEntries(m_listed);
    // Adding the first entry selects it; the box shows the chosen port, or the invitation to choose.
    ComsCombo->setCurrentIndex(-1);
    ComsCombo->setEditText(kInvitation);
}

bool ComsBox::opens(const PortChoices::Entry& entry) {
    try {
        probe(m_port, entry.number, entry.placed ? entry.device : QString());
        return true;
    } catch (const PortError& error) {
        // An absent device is the usual reason a number is left out; anything else is worth a warning.
        if (error.cause() == PortError::Cause::NoDevice || error.cause() == PortError::Cause::InvalidNumber) {
            qCInfo(lcPort).noquote() << "COM" << entry.number << "not listed:" << error.reason();
        } else {
            qCWarning(lcPort).noquote() << "COM" << entry.number << "not listed:" << error.reason();
        }
        // While the program's own port is open nothing can be tried; once it closes, it is worth another try.
        if (error.cause() != PortError::Cause::AlreadyOpen) {
            m_refused << entry.device;
        }
        return false;
    }
}

void ComsBox::followDevices() {
    const QList<PortChoices::Entry> present = m_choices.look();
    QSet<QString> presentDevices;
    QList<PortChoices::Entry> listed;
    for (const PortChoices::Entry& entry : present) {
        presentDevices << entry.device;
        const bool wasListed =
            std::any_of(m_listed.begin(), m_listed.end(), [&](const PortChoices::Entry& e) {
                return e.number == entry.number && e.device == entry.device;
            });
        // A device seen before keeps its entry without being opened again; a new one is tried once.
        if (wasListed || (!m_refused.contains(entry.device) && opens(entry))) {
            listed << entry;
        }
    }
    m_refused.intersect(presentDevices); // a device that comes back is tried afresh
    if (listed != m_listed) {
        m_listed = listed;
        showEntries(m_listed);
    }
}

void ComsBox::showEntries(const QList<PortChoices::Entry>& entries) {
    const QString text = ComsCombo->currentText();
    const int chosen = ComsCombo->findText(text, Qt::MatchExactly);
    const QString chosenDevice =
        chosen >= 0 ? ComsCombo->itemData(chosen, Qt::ToolTipRole).toString() : QString();
    ComsCombo->clear();
    int widest = 0;
    int again = -1;
    for (const PortChoices::Entry& entry : entries) {
        const int item = ComsCombo->count();
        ComsCombo->addItem(entry.text);
        ComsCombo->setItemData(item, entry.pinTo, kPinRole);
        ComsCombo->setItemData(item, entry.placed ? entry.device : QString(), kPlacedDeviceRole);
        // Which device a number stands for tells a USB adapter from a built-in port.
        ComsCombo->setItemData(item, entry.device, Qt::ToolTipRole);
        widest = std::max(widest, ComsCombo->fontMetrics().horizontalAdvance(entry.text));
        if (chosen >= 0 && entry.device == chosenDevice && portNumberOf(text) == entry.number) {
            again = item;
        }
    }
    // The box keeps its size; the opened list is as wide as its longest description.
    ComsCombo->view()->setMinimumWidth(widest + px(600));
    // The operator's choice stays while its device does (its description may have grown meanwhile); a typed
    // text stays as typed.
    if (again >= 0) {
        ComsCombo->setCurrentIndex(again);
    } else {
        ComsCombo->setCurrentIndex(-1);
        ComsCombo->setEditText(chosen >= 0 ? kInvitation : text);
    }
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
        // An entry placed under a free number is tried on its device, as the search tried it.
        const int item = ComsCombo->findText(text, Qt::MatchExactly);
        probe(m_port, *number,
              item >= 0 ? ComsCombo->itemData(item, kPlacedDeviceRole).toString() : QString());
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
    const QString text = ComsCombo->currentText();
    if (text.trimmed().isEmpty() || text.trimmed() == kInvitation) {
        reject();
        return;
    }
    // A text that names no port, or a number beyond what a port number can hold, gives port 1.
    m_settings.PortNumber = portNumberOf(text).value_or(1);
    StoredSettings::writePortNumber(m_settings.PortNumber);
    // An adapter with a stable name, or a device no number reached, is pinned to the number chosen for it.
    const int entry = ComsCombo->findText(text, Qt::MatchExactly);
    const QString pinTo = entry >= 0 ? ComsCombo->itemData(entry, kPinRole).toString() : QString();
    if (!pinTo.isEmpty()) {
        pinComNumber(m_settings.PortNumber, pinTo);
    }
    accept();
}

void ComsBox::CancelButton_Click() {
    reject();
}

void ComsBox::done(int result) {
    m_deviceWatch.stop();
    QDialog::done(result);
}
