#include "SampleDownload.h"

#include <QDate>

QByteArray sampleDownload(const QList<QByteArray>& records, const QByteArray& unit,
                          const QByteArray& firmware) {
    QByteArray bytes =
        "RM7 CONTROLLER LOG DOWNLOAD\r\nKorvane Instruments\r\nSite: North Pump Station\r\nUnit: " + unit +
        "\r\nLog Entries: " + QByteArray::number(records.size()) + "\r\nFirmware: " + firmware +
        "\r\nDate,Time,Channel,Event,Value,Unit,Battery,Status,Sequence\r\n";
    for (const QByteArray& record : records) {
        bytes += record + "\r\n";
    }
    return bytes + "END OF DOWNLOAD\r\n";
}

QByteArray sampleDownload(int first, int count, const QByteArray& unit) {
    QList<QByteArray> records;
    records.reserve(count);
    for (int i = first; i < first + count; ++i) {
        records << sampleRecord(i);
    }
    return sampleDownload(records, unit);
}

QByteArray sampleRecord(int i) {
    const int minutes = i % 1440;
    return QDate(2026, 11, 1).addDays(i / 1440).toString(u"dd/MM/yyyy").toLatin1() + ',' +
           QByteArray::number(minutes / 60).rightJustified(2, '0') + ':' +
           QByteArray::number(minutes % 60).rightJustified(2, '0') + ":00," + QByteArray::number(1 + i % 4) +
           ",LEVEL," + QByteArray::number((i * 37) % 1000 / 10.0, 'f', 1) + ",m,12.5V,OK," +
           QByteArray::number(i + 1).rightJustified(7, '0');
}
