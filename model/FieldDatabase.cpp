#include "model/FieldDatabase.h"

#include "common/Convert.h"
#include "common/Cp1252.h"
#include "common/JetHeader.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace zeva {

namespace {

constexpr int kCantOpen = 14; // what SQLite answers for a file it cannot open

std::optional<std::string> Utf8(const std::string& text) {
    return Cp1252ToUtf8(text);
}

} // namespace

const char* FieldDatabase::SchemaSql() {
    return "CREATE TABLE IF NOT EXISTS ZVFields ("
           "Identifier INTEGER NOT NULL, Title TEXT, VType INTEGER, Description TEXT, "
           "\"Default\" TEXT, Format TEXT, Minsize TEXT, Maxsize TEXT, DBase INTEGER);"
           "CREATE UNIQUE INDEX IF NOT EXISTS Identifier ON ZVFields (Identifier);";
}

void FieldDatabase::KeepError(int code, const std::string& text) {
    errorCode_ = code;
    error_ = text;
}

FieldDatabase::~FieldDatabase() {
    Close();
}

void FieldDatabase::SetJetReader(const std::string& tool, const ChildLimits& limits) {
    jetTool_ = tool;
    jetLimits_ = limits;
}

bool FieldDatabase::CopyJet(const std::string& path) {
    const std::string tool = jetTool_.empty() ? FindHelperProgram(kJetTool) : jetTool_;
    if (tool.empty()) {
        KeepError(kCantOpen, kNoJetReader);
        return false;
    }
    std::error_code ec;
    std::string pattern = (std::filesystem::temp_directory_path(ec) / "zeva-fielddb-XXXXXX").string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        KeepError(kCantOpen, "cannot make a temporary file in " + pattern);
        return false;
    }
    ::close(fd);
    copy_ = pattern;
    const ChildResult run = RunChild({tool, "export", path, copy_}, jetLimits_);
    if (!run.Succeeded()) {
        KeepError(kCantOpen, run.Describe(kJetTool));
        return false;
    }
    return true;
}

bool FieldDatabase::Open(const std::string& path, bool writable) {
    Close();
    path_ = path;
    const JetVersion jet = JetVersionOfFile(path);
    if (jet != JetVersion::None) {
        if (writable) {
            KeepError(kCantOpen, std::string(JetVersionName(jet)) + " files are only read here");
            return false;
        }
        if (!CopyJet(path)) {
            Close();
            return false;
        }
    }
    const std::string& file = copy_.empty() ? path : copy_;
    if (!db_.Open(file, writable ? SqliteDatabase::Mode::ReadWrite : SqliteDatabase::Mode::ReadOnly)) {
        KeepError(db_.LastErrorCode(), db_.LastError());
        Close();
        return false;
    }
    // SQLite opens any file lazily; reading the schema is what tells a database from other bytes.
    if (!db_.Exec("SELECT count(*) FROM sqlite_master")) {
        KeepError(db_.LastErrorCode(), db_.LastError());
        Close();
        return false;
    }
    return true;
}

void FieldDatabase::Close() {
    db_.Close();
    if (!copy_.empty()) {
        std::error_code ec;
        std::filesystem::remove(copy_, ec);
        copy_.clear();
    }
}

bool FieldDatabase::ReadFields(std::vector<ZVFieldType>& fields) {
    fields.clear();
    if (!db_.IsOpen()) {
        KeepError(3420, "Object invalid or no longer set.");
        return false;
    }
    std::vector<SqliteDatabase::Row> rows;
    if (!db_.Exec(
            "SELECT Identifier, Title, VType, Description, DBase, \"Default\", Format, Minsize, Maxsize "
            "FROM ZVFields ORDER BY Identifier",
            {}, &rows)) {
        KeepError(db_.LastErrorCode(), db_.LastError());
        return false;
    }
    fields.reserve(rows.size());
    for (const auto& row : rows) {
        if (row.size() < 9 || !row[0] || !row[2] || !row[4]) continue;
        auto id = ToInt16(*row[0]);
        auto vtype = ToInt16(*row[2]);
        auto dbase = ToBool(*row[4]);
        if (!id || !vtype || !dbase) continue;
        ZVFieldType f;
        f.Identifier = *id;
        f.Title = row[1] ? Utf8ToCp1252(*row[1]) : std::string();
        f.VType = *vtype;
        f.Description = row[3] ? Utf8ToCp1252(*row[3]) : std::string();
        f.DBase = *dbase;
        f.Default = row[5] ? Utf8ToCp1252(*row[5]) : std::string();
        f.DFormat = row[6] ? Utf8ToCp1252(*row[6]) : std::string();
        f.Minsize = row[7] ? Utf8ToCp1252(*row[7]) : std::string();
        f.Maxsize = row[8] ? Utf8ToCp1252(*row[8]) : std::string();
        fields.push_back(std::move(f));
    }
    return true;
}

bool FieldDatabase::Write(const std::string& sql, const std::vector<std::optional<std::string>>& params) {
    if (!db_.IsOpen() || !db_.Exec(sql, params)) {
        if (db_.IsOpen()) KeepError(db_.LastErrorCode(), db_.LastError());
        ++writesRefused_;
        return false;
    }
    return true;
}

bool FieldDatabase::InsertField(const ZVFieldType& f) {
    return Write("INSERT INTO ZVFields (Identifier, Title, VType, Description, \"Default\", Format, Minsize, "
                 "Maxsize, DBase) SELECT ?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9 "
                 "WHERE NOT EXISTS (SELECT 1 FROM ZVFields WHERE Identifier = ?1)",
                 {IntText(f.Identifier), Utf8(f.Title), IntText(f.VType), Utf8(f.Description),
                  Utf8(f.Default), Utf8(f.DFormat), Utf8(f.Minsize), Utf8(f.Maxsize),
                  IntText(f.DBase ? 1 : 0)});
}

bool FieldDatabase::UpdateColumn(std::int16_t identifier, const std::string& column,
                                 const std::string& value) {
    return Write("UPDATE ZVFields SET " + QuoteIdentifier(column) + " = ?1 WHERE Identifier = ?2",
                 {Utf8(value), IntText(identifier)});
}

bool FieldDatabase::UpdateDBase(std::int16_t identifier, bool value) {
    return Write("UPDATE ZVFields SET DBase = ?1 WHERE Identifier = ?2",
                 {IntText(value ? 1 : 0), IntText(identifier)});
}

bool FieldDatabase::UpdateVType(std::int16_t identifier, std::int16_t value) {
    return Write("UPDATE ZVFields SET VType = ?1 WHERE Identifier = ?2",
                 {IntText(value), IntText(identifier)});
}

bool FieldDatabase::Renumber(std::int16_t from, std::int16_t to) {
    return Write("UPDATE ZVFields SET Identifier = ?1 WHERE Identifier = ?2", {IntText(to), IntText(from)});
}

bool FieldDatabase::DeleteField(std::int16_t identifier) {
    return Write("DELETE FROM ZVFields WHERE Identifier = ?1", {IntText(identifier)});
}

bool PXOpenDatabase(FieldDatabase& database, const std::string& file) {
    if (database.Open(file, false)) return true;
    std::fprintf(stderr, "Field database %s (the setting Setup\\FieldDataBaseFile): %s\n", file.c_str(),
                 database.LastError().c_str());
    return false;
}

void PXCloseDatabase(FieldDatabase& database) {
    database.Close();
}

} // namespace zeva
