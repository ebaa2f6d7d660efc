#include "SimReply.h"

namespace SimReply {

QList<QByteArray> downloadLines(int records) {
    QList<QByteArray> lines;
    lines.reserve(records + 8);
    lines << "RM7 CONTROLLER LOG DOWNLOAD\r\n"
          << "Korvane Instruments\r\n"
          << "Site: North Pump Station\r\n"
          << "Unit: RM7-0042\r\n"
          << "Log Entries: " + QByteArray::number(records) + "\r\n"
          << "Firmware: R7305 V1.7\r\n"
          << "Date,Time,Channel,Event,Value,Unit,Battery,Status,Sequence\r\n";
    static const char* const kEvents[] = {"LEVEL", "FLOW", "PUMP ON", "PUMP OFF", "ALARM"};
    for (int i = 0; i < records; ++i) {
        const int day = 1 + (i / 1440) % 28;
        const int minute = i % 1440;
        QByteArray line = QByteArray::number(day).rightJustified(2, '0') + "/11/2026,";
        line += QByteArray::number(minute / 60).rightJustified(2, '0') + ':' +
                QByteArray::number(minute % 60).rightJustified(2, '0') + ":00,";
        line += QByteArray::number(1 + i % 4) + ',' + kEvents[i % 5] + ',';
        line += QByteArray::number((i * 37) % 1000 / 10.0, 'f', 1) + ",m,";
        line += QByteArray::number(11.5 + (i % 30) / 10.0, 'f', 1) + "V,OK,";
        line += QByteArray::number(i + 1).rightJustified(6, '0') + "\r\n";
        lines << line;
    }
    lines << "END OF DOWNLOAD\r\n";
    return lines;
}

QByteArray noLogs() {
    return "No log entries!";
}

QByteArray logCount(int count) {
    return "*01a02# " + QByteArray::number(count & 0xFFFF, 16).toUpper().rightJustified(4, '0') + '\r';
}

} // namespace SimReply
