// Fuzz target of the report file loader: any bytes as a report file (decoded as the
// program decodes files), loaded, then one month drawn with a period chosen by the
// input. Errors the loader reports by exception are expected; crashes, reads or
// writes outside the tables and undefined behaviour are findings.
#include <cstddef>
#include <cstdint>
#include <memory>

#include <QByteArray>

#include "platform/errors.h"
#include "platform/textfile.h"
#include "reports/loader.h"
#include "views/month.h"

int fuzzReportLoader(const uint8_t* data, size_t size)
{
    static const int periods[] = {1, 3, 6, 12, 24};
    const int period = size > 0 ? periods[data[0] % 5] : 3;
    const bool minMax = size > 0 && (data[0] & 0x10);
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const TextFile file = decodeTextFile(bytes);
        auto year = std::make_unique<ReportYear>();
        loadReportYear(*year, file.lines);
        MonthViewOptions options;
        options.period = period;
        options.showMinMax = minMax;
        const MonthView view = buildMonthView(*year, year->lastLineMonth, options);
        (void)MonthStats(view.periodAverages, int(view.periodAverages.size()));
        (void)monthTableLines(view.table);
    } catch (const TermivoError&) {
    }
    return 0;
}

#ifndef TERMIVO_FUZZ_REPLAY
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzzReportLoader(data, size);
}
#endif
