#pragma once
#include "common/WholeFile.h"

#include <filesystem>
#include <string>

// The error line of the settings and field database tools for a database file they cannot use,
// with what to do next. SQLite's own text is kept where it tells something, not where it misleads
// ("disk I/O error" for a folder, "unable to open database file" for a missing folder).
namespace zeva::tool {

struct DatabaseKind {
    const char* what;       // "settings database"
    const char* fileName;   // the usual file name: ZEVARegistry.mdb
    const char* table;      // the table a file of this kind has: StartUp
    const char* makeAdvice; // "zeva-settings create or site makes one"
};

// making: the command makes or writes the file; else it reads it.
inline std::string DatabaseFileError(const DatabaseKind& kind, const std::string& path,
                                     const std::string& sqliteError, bool making) {
    using Kind = PathProblem::Kind;
    const PathProblem problem = making ? WriteProblem(path) : ReadProblem(path);
    if (problem.kind == Kind::NoFile) return path + ": no such file (" + kind.makeAdvice + ")";
    if (problem.kind == Kind::Folder)
        return path + " is a folder, not a " + kind.what + ": name the file with --file, e.g. --file " +
               (std::filesystem::path(path) / kind.fileName).string();
    if (problem) return path + ": " + problem.text + " (check --file)";
    if (sqliteError == "file is not a database" || sqliteError == std::string("no such table: ") + kind.table)
        return path + " is not a " + kind.what + " (" + sqliteError + "): check --file; " +
               (making ? std::string("a file that is there is not replaced, move it away first")
                       : kind.makeAdvice);
    return path + ": " + sqliteError;
}

} // namespace zeva::tool
