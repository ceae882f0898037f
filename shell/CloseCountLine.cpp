#include "shell/CloseCountLine.h"

namespace zeva {

std::string CloseCountLine::Text() const {
    if (arrivedAfter <= 0 && notShown == 0) return {};
    std::string line = "zeva-screen-client: " + std::to_string(arrivedAfter) +
                       (arrivedAfter == 1 ? " record" : " records") + " arrived after the close request";
    if (notShown == 0) return line;
    line += "; " + std::to_string(notShown) + " not shown before the window closed";
    if (!trailOn)
        line += ", not kept: the record trail (Setup\\RecordLog) is off";
    else if (kept == notShown)
        line += ", written to the record trail in " + trailFolder;
    else
        line += ", " + std::to_string(kept) + " of them written to the record trail in " + trailFolder +
                " (it cannot write)";
    return line;
}

} // namespace zeva
