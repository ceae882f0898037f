#pragma once
#include <functional>
#include <string>

namespace zeva {

// Where writing a file whole or not at all stopped.
enum class WholeFileStep {
    Done,   // the file is in its place
    Write,  // the writer gave up; the error it keeps says why
    Exists, // a file stood in the place and was not to be replaced
    Rename, // the rename into place failed; reason says why
};

struct WholeFileResult {
    WholeFileStep step = WholeFileStep::Done;
    std::string reason;    // the system's words when the rename failed
    bool tempLeft = false; // after a failure, the temporary file could not be removed
    bool Ok() const { return step == WholeFileStep::Done; }
};

enum class WholeFileReplace { Yes, No };

// Writes a file whole or not at all, so a failure leaves neither a half file nor a stray temporary
// and a file already at path stays as it was. write fills the file named temp (beside path, on the
// same disk) and returns false when it could not; by then it has flushed and closed the file. Only
// then is temp renamed over path, or with WholeFileReplace::No never over a file that appeared there
// meanwhile. After any failure temp is removed; the caller words the error.
WholeFileResult WriteThenRename(const std::string& path, const std::string& temp,
                                const std::function<bool(const std::string& temp)>& write,
                                WholeFileReplace replace = WholeFileReplace::Yes);

// What stands in the way of a file at path, in a person's words, for a tool to say where the
// library's own error would mislead (SQLite answers "disk I/O error" for a folder and "unable to
// open database file" for a missing one). None when nothing about the path explains a failure; the
// failing call's own error is then the one to give. The kind lets a tool choose its next step.
struct PathProblem {
    enum class Kind { None, NoFile, Folder, Other };
    Kind kind = Kind::None;
    std::string text; // "no such file", "is a folder, not a file", "the folder F does not exist", ...
    explicit operator bool() const { return kind != Kind::None; }
};
// To read it: no such file, a folder, or "cannot be read (Permission denied)".
PathProblem ReadProblem(const std::string& path);
// To make it, or put another file in its place: a folder, or what FolderProblem says of its folder.
// (A file that is there but read-only is left to the writer's own error, which says so.)
PathProblem WriteProblem(const std::string& path);
// To make files in folder (an empty folder is the current one): "the folder F does not exist",
// "F is not a folder", "the folder F cannot be written (Permission denied)"; "" when nothing does.
std::string FolderProblem(const std::string& folder);

} // namespace zeva
