#pragma once

#include <QByteArrayView>

// The value of two hex digits, as the log-count reply carries them: anything but 0-9 and A-F counts 0.
int HexPairValue(QByteArrayView pair);
