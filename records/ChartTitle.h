#pragma once

#include <QString>

struct ChartData;

// The chart's title and the name its picture is offered under: the header lines that name the controller
// ("Site: North Pump Station", "Unit: RM7-0042") and when its first and last record were taken.
struct ChartTitle {
    QString text;     // "Site: North Pump Station · Unit: RM7-0042 · 2026-11-01 00:00 to 2026-11-01 06:39"
    QString fileName; // "RM7-0042_2026-11-01_0000_to_2026-11-01_0639.png"

    static ChartTitle of(const QString& headerText, const ChartData& data);
};
