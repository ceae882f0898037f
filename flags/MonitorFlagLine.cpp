#include "flags/MonitorFlagLine.h"

#include "flags/ModuleClass.h"

namespace zeva {

std::string MonitorFlagLine(const ModuleClass& modules, const CommType& packet) {
    CommType shown = packet;
    shown.Text3.clear();
    shown.Text4.clear();
    shown.Text5.clear();
    if (modules.PostGenerateError(shown) < 0)
        return "(" + packet.Source + ") - error -: flag number \"" + packet.Text1 +
               "\" is not in the flag table";
    std::string line = shown.Data;
    for (const std::string* text : {&packet.Text2, &packet.Text3})
        if (!text->empty() && *text != packet.Source) line += " | " + *text;
    return line;
}

} // namespace zeva
