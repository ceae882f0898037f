#pragma once
#include "common/SqliteDatabase.h"

#include <optional>
#include <string>
#include <vector>

// Reading a table of an Access (Jet) database with libmdb, for zeva-fielddb and zeva-settings. The
// library trusts the file more than the station may: the client never calls this itself but runs
// zeva-fielddb export in a child process with bounded time and memory.
namespace zeva::jet {

struct Table {
    struct Column {
        std::string Name;    // UTF-8
        std::string SqlType; // INTEGER for Boolean and whole numbers, REAL for other numbers, else TEXT
    };
    std::vector<Column> Columns;
    // Every row in the order the file holds them; texts in UTF-8, numbers in decimal, Boolean as 1
    // or 0. libmdb reads Null and the empty text alike, both as nullopt.
    std::vector<std::vector<std::optional<std::string>>> Rows;
};

// False with a message when the file does not open as an Access database or has no such table.
bool ReadTable(const std::string& path, const std::string& name, Table& table, std::string& error);

// Creates the table under the same name and columns in db and inserts every row.
bool WriteTable(SqliteDatabase& db, const std::string& name, const Table& table, std::string& error);

} // namespace zeva::jet
