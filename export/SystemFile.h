#pragma once

#include <QByteArrayView>
#include <QString>

// The system calls a save makes, in one place: a file opened for writing (created, or an existing one
// emptied), written in full, cut back to a length, closed. Failures return the system's error number
// (errno), which the file error numbers are made from; everything else in the program is portable Qt.
class SystemFile {
public:
    SystemFile() = default;
    ~SystemFile() { close(); }
    SystemFile(const SystemFile&) = delete;
    SystemFile& operator=(const SystemFile&) = delete;

    // 0 when open, else the system's error.
    int open(const QString& name);
    // Writes every byte; 0 when done, else the system's error.
    int writeAll(QByteArrayView bytes);
    // Cuts the file back to its first `length` bytes and writes on from there.
    void truncate(qint64 length);
    void close();
    bool isOpen() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// The system's words for an error number.
QString systemErrorText(int systemError);
