#pragma once

#include <QString>
#include <optional>

// The PostgreSQL database of a team's archive, as korvane.ini names it under [ARCHIVE] Database: either
// an address such as postgresql://user@host:5432/dbname (a password after the user, other connection
// settings as ?key=value, a socket folder as ?host=/path), or libpq's key=value pairs such as
// "host=archive.example port=5432 dbname=logs user=field". Settings other than host, port, dbname, user
// and password go to the driver as they are; without connect_timeout the connection gives up after 10 s.
struct ServerAddress {
    QString host;
    int port = -1;
    QString database;
    QString user;
    QString password;
    QString options; // further libpq settings, key=value separated by blanks

    // The address, or nothing with the reason in `error`.
    static std::optional<ServerAddress> parse(const QString& text, QString& error);
    // The address as the operator reads it, never with the password.
    QString display() const;
};
