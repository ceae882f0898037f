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

} // namespace zeva
