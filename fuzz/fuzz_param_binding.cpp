// Feeds arbitrary replies to the binding routine of the parameter sheet, in fill mode
// and then in build mode over the same text. A reply is either bound whole or refused
// with an error that leaves the sheet as it was; nothing may crash, and a bound sheet
// holds only list positions inside their lists.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <QString>

#include "config/paramsheet.h"

int fuzzParamBinding(const uint8_t* data, size_t size)
{
    const QString reply = QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const char* top : {"Main", "FullStat"}) {
        ParameterSheet sheet;
        sheet.loaded = true;
        try {
            sheet.bind(reply, QLatin1String(top), BindMode::Fill, false);
        } catch (const TermivoError&) {
            for (const ParamCell& c : sheet.cells())
                if (!c.text.isEmpty() || c.index != -1) std::abort();  // a refused reply changed the sheet
            continue;
        }
        for (const ParamCell& c : sheet.cells()) {
            if (c.index < -1 || c.index >= c.row->items.size()) std::abort();
            for (const QChar ch : c.text)
                if (ch.unicode() > 127) std::abort();
        }
        for (const QString& name : sheet.controlNames) sheet.changeHandler(name);
        const BindOutcome built = sheet.bind(reply, QLatin1String(top), BindMode::Build, false);
        if (sheet.anyChanged()) std::abort();
        if (!built.changeText.isEmpty() && !built.changeText.startsWith(QLatin1Char('"'))) std::abort();
    }
    return 0;
}

#ifndef TERMIVO_FUZZ_REPLAY
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzzParamBinding(data, size);
}
#endif
