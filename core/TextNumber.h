#pragma once

#include <QStringView>

// Numbers typed by people or sent by the controller are read the way the controller's own tools read
// them: the number at the start of the text, blanks skipped (also between digits), an optional sign and
// decimal fraction; anything that does not begin with a number counts 0.
double leadingNumber(QStringView text);

// Fractions become whole numbers by rounding to the nearest integer, a half going to the even neighbour.
double roundHalfEven(double value);
