#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

// What a collected download's file name is made of, known once its header has arrived.
struct NameFields {
    QString controller;      // the archive's name for the controller, or the one its header gives
    QStringList headerLines; // the lines before "Date,", without line ends
    QString com;             // the COM number, or the device's own name for a port given by its path
    QDateTime started;       // when the download started, in this PC's time
};

// A file name pattern as --name and [COLLECT] Name take it: text with fields in braces, {controller},
// {line:N} (header line N, from 1), {com}, {date} (2026-11-02) and {time} (0200); {{ and }} stand for
// braces. The name it makes is safe for the file system (SafeFileName); the folder is given apart, so
// the pattern holds no '/'.
class FileNamePattern {
public:
    // By controller, then date and time: a folder listed by name lists each controller's downloads in order.
    static constexpr char kDefault[] = "{controller}_{date}_{time}.csv";
    static constexpr int kMostHeaderLine = 99;

    // The pattern read, or the reason (a usage error) it cannot make names: an unknown field, a line
    // number that cannot be, a brace left open, a '/', or a name that is nothing but its extension for a
    // download of the usual header.
    static std::optional<FileNamePattern> read(const QString& text, QString& reason);

    // The name for a download with these fields, made safe; a header line the header lacks gives nothing.
    QString nameFor(const NameFields& fields) const;

private:
    struct Piece {
        enum class Kind { Text, Controller, Line, Com, Date, Time };
        Kind kind = Kind::Text;
        QString text; // Text's own
        int line = 0; // Line's number
    };
    QString rawName(const NameFields& fields) const;

    QList<Piece> m_pieces;
};
