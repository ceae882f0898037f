#include "common/Convert.h"
#include "common/Cp1252.h"
#include "common/FormatValue.h"
#include "settings/ClientSettings.h"
#include "settings/FontStyle.h"
#include "shell/CommandLine.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace zeva;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    const CommandLineResult r = ParseCommandLine(text);
    std::string userid = r.Userid;
    if (userid.size() != 3 || !CheckUserid(userid) || userid != r.Userid) std::abort();

    std::string any = text;
    if (CheckUserid(any) && any.size() != 3) std::abort();

    if (const auto d = ToDouble(text)) {
        // Every value formats under every pattern the client uses, and its general text reads back.
        for (const char* p : {"0000", "00", "0.00", "dd/mm/yyyy", "hh:mm:ss dd/mm/yyyy", "#,##0"})
            (void)FormatValue(*d, p);
        if (!ToDouble(DoubleText(*d))) std::abort();
    }
    (void)ToInt16(text);
    (void)ToBool(text);
    double t = 0;
    (void)ParseTimeText(text, t);
    FontStyle font;
    (void)TextToFont(text, font);
    (void)FormatValue(45000.5, text); // the operator's own patterns come from the field database
    if (Utf8ToCp1252(Cp1252ToUtf8(text)) != text) std::abort();
    return 0;
}
