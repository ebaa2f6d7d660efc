#include "ComsBox.h"

#include "ComPort.h"
#include "Logging.h"
#include "Operator.h"
#include "PortError.h"
#include "Twips.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <utility>

namespace {

// Adapters plugged in or pulled out show in the list within this time.
constexpr int kDeviceWatchMs = 1000;

const QString& kInvitation = PortChoices::kInvitation;

QRect twipsRect(int left, int top, int width, int height) {
    return {px(left), px(top), px(width), px(height)};
}

// Opens and closes the port numbered n; raises PortError when it cannot.
void probe(ComPort& port, int number, const QString& device = QString()) {
    port.open(number, device);
    port.setPortOpen(false);
}

const PortChoices::Entry* entryWithText(const QList<PortChoices::Entry>& entries, const QString& text) {
    const auto found = std::find_if(entries.begin(), entries.end(),
                                    [&](const PortChoices::Entry& e) { return e.text == text; });
    return found == entries.end() ? nullptr : &*found;
}

} // namespace

ComsBox::ComsBox(ComPort& port, int currentPort, Operator& op, DeviceSource devices, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_choices(std::move(devices)), m_port(port), m_currentPort(currentPort), m_op(op) {
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

void ComsBox::DisplayTimer_Timer() {
    DisplayTimer.stop();
    SearchPorts();
    for (int i = 0; i < m_listed.size(); ++i) {
        if (m_listed.at(i).number == m_currentPort) {
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
    showEntries({}, m_listed);
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
        const QList<PortChoices::Entry> before = std::exchange(m_listed, listed);
        showEntries(before, m_listed);
    }
}

void ComsBox::showEntries(const QList<PortChoices::Entry>& before, const QList<PortChoices::Entry>& entries) {
    const QString text = ComsCombo->currentText();
    const PortChoices::Entry* chosenEntry = entryWithText(before, text);
    const PortChoices::Entry chosen = chosenEntry != nullptr ? *chosenEntry : PortChoices::Entry{};
    ComsCombo->clear();
    int widest = 0;
    int again = -1;
    for (const PortChoices::Entry& entry : entries) {
        const int item = ComsCombo->count();
        ComsCombo->addItem(entry.text);
        // Which device a number stands for tells a USB adapter from a built-in port.
        ComsCombo->setItemData(item, entry.device, Qt::ToolTipRole);
        widest = std::max(widest, ComsCombo->fontMetrics().horizontalAdvance(entry.text));
        if (chosenEntry != nullptr && entry.device == chosen.device && entry.number == chosen.number) {
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
        ComsCombo->setEditText(chosenEntry != nullptr ? kInvitation : text);
    }
}

void ComsBox::TestComs_Click() {
    const QString text = ComsCombo->currentText();
    try {
        // A chosen entry is tried as the search tried it (on its device, when placed under a free number);
        // a typed text that does not begin with "COM" tests port 0, which fails like any missing port.
        if (const PortChoices::Entry* entry = entryWithText(m_listed, text)) {
            probe(m_port, entry->number, entry->placed ? entry->device : QString());
        } else {
            const auto number = text.startsWith(QLatin1String("COM")) ? PortChoices::portNumberOf(text)
                                                                      : std::optional<int>(0);
            if (!number) {
                throw PortError(PortError::Cause::InvalidNumber,
                                QStringLiteral("\"%1\" names no port number that fits").arg(text));
            }
            probe(m_port, *number);
        }
        m_op.messageBox(QStringLiteral("Coms Port is Available!"), MsgStyle::Ok + MsgStyle::Information,
                        QStringLiteral("Message"));
    } catch (const PortError& error) {
        qCWarning(lcPort).noquote() << "test of" << text << "failed:" << error.reason();
        m_op.messageBox(QStringLiteral("Port not available!"), MsgStyle::Ok + MsgStyle::Critical,
                        QStringLiteral("Warning"), error.reason());
    }
}

void ComsBox::OKButton_Click() {
    // With no entry chosen and nothing typed (before the search, or an empty list) OK keeps the port the
    // operator had, as Cancel does.
    m_choice = PortChoices::selection(ComsCombo->currentText(), m_listed);
    if (m_choice) {
        accept();
    } else {
        reject();
    }
}

void ComsBox::CancelButton_Click() {
    reject();
}

void ComsBox::done(int result) {
    m_deviceWatch.stop();
    QDialog::done(result);
}
