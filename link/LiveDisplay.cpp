#include "LiveDisplay.h"

#include "ControllerWire.h"
#include "LinkDisplay.h"
#include "LinkState.h"
#include "TextNumber.h"

namespace {

using ControllerWire::kCountLabelLength; // "Log Entries:" before the record count
constexpr double kCountLimit = 10000;    // a count this large is not believed
constexpr int kLinesBesideRecords = 8;   // header lines, column titles and the final line
constexpr int kLogWindowLines = 25;

} // namespace

QString panelText(QByteArrayView line) {
    if (line.endsWith('\n')) {
        line.chop(1);
        if (line.endsWith('\r')) {
            line.chop(1);
        }
    }
    return QString::fromLatin1(line);
}

std::optional<int> expectedLinesFor(const QString& countLine) {
    const double count =
        leadingNumber(QStringView(countLine).mid(std::min<qsizetype>(kCountLabelLength, countLine.size())));
    if (count >= kCountLimit) {
        return std::nullopt;
    }
    // A hugely negative count would not fit an integer; it gives no usable progress anyway.
    return int(std::max(roundHalfEven(count + kLinesBesideRecords), -1e9));
}

std::optional<int> progressFor(int lineCount, int expectedLines) {
    if (expectedLines == 0) {
        return std::nullopt;
    }
    const double percent = roundHalfEven(double(lineCount) / expectedLines * 100);
    if (percent < 1 || percent > 100) {
        return std::nullopt;
    }
    return int(percent);
}

void ShowHeaderPanels(LinkState& state, LinkDisplay& display) {
    const int k = state.LineCount();
    const LineStore& lines = state.LogLines;
    display.setPanelText(1, panelText(lines.line(k - 4)));
    display.setPanelText(2, panelText(lines.line(k - 2)));
    display.setPanelText(3, panelText(lines.line(k - 3)));
    display.setPanelText(4, panelText(lines.line(k - 1)));
    display.setPanelColour(2, PanelColour::ButtonFace);
    if (const auto expected = expectedLinesFor(display.panelText(2))) {
        state.ExpectedLines = *expected;
    }
}

void UpdateProgress(const LinkState& state, LinkDisplay& display) {
    if (const auto percent = progressFor(state.LineCount(), state.ExpectedLines)) {
        display.setProgress(*percent);
    }
}

void RefreshLogWindow(const LinkState& state, LinkDisplay& display) {
    const int k = state.LineCount();
    display.showLines(std::max(1, k - kLogWindowLines + 1), k);
}
