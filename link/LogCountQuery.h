#pragma once

#include <QByteArrayView>

class Link;

// Asks the controller how many logs it holds ("*01a02#"); the reply is taken by the receive dispatcher.
void startLogCountQuery(Link& link);
// The count of a complete reply, as ShowLogCount shows it.
int receivedLogCount(const Link& link);
// Shows the count of a complete reply (characters 9 to 12, hex, high byte first) on a green panel 2.
void ShowLogCount(Link& link);
// The value of two hex digits; anything but 0-9 and A-F counts 0.
int HexPairValue(QByteArrayView pair);
