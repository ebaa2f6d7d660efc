#pragma once

#include <QByteArrayView>
#include <QString>
#include <optional>

class LinkDisplay;
struct LinkState;

// The running download on screen: the header in the status panels, the progress bar, the newest lines.

// Status panels 1, 2, 3 and 4 show the lines 4, 2, 3 and 1 before the "Date," line (LineCount); the
// record count on the second line before it sets ExpectedLines.
void ShowHeaderPanels(LinkState& state, LinkDisplay& display);
void UpdateProgress(const LinkState& state, LinkDisplay& display);
// The log box keeps the 25 newest lines.
void RefreshLogWindow(const LinkState& state, LinkDisplay& display);

// A stored line as a panel shows it: without its line end (the LF and a CR just before it).
QString panelText(QByteArrayView line);
// ExpectedLines for a count line as shown in panel 2, or nothing when the count is to be ignored.
std::optional<int> expectedLinesFor(const QString& countLine);
// The progress bar's value for a line count, or nothing when the bar is to keep its value.
std::optional<int> progressFor(int lineCount, int expectedLines);
