#include "Complaint.h"

#include <cstdio>

void complain(const QString& text) {
    std::fprintf(stderr, "rm7-download: %s\n", qPrintable(text));
    std::fflush(stderr);
}
