#pragma once

class SqlSession;

// The archive's tables, the same on SQLite and PostgreSQL (types aside), all named rm7_* so that a team's
// database can hold other tables beside them. rm7_schema holds the version of the layout; a program never
// writes into a layout newer than its own.
namespace ArchiveSchema {

constexpr int kVersion = 1;

enum class State {
    Ready,   // the tables are there
    Empty,   // no tables yet: create() makes them
    Newer,   // written by a newer program: left alone
    Foreign, // an SQLite file that holds another program's tables
    Failed,  // the database could not be read; the session has the reason
};

// What the database holds, read without changing it; `foundVersion` tells the layout found.
State inspect(SqlSession& session, int& foundVersion);
// Makes the tables in one transaction, so that a database holds all of them or none.
bool create(SqlSession& session);

} // namespace ArchiveSchema
