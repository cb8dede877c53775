#include "views/exporttarget.h"

#include <QDir>

#include "platform/errors.h"
#include "platform/safepath.h"

void checkExportTarget(const QString& input, const QString& out)
{
    if (sameFile(input, out))
        throw TermivoError(QStringLiteral("The output file \"%1\" is the report file itself; nothing was written.")
                               .arg(QDir::toNativeSeparators(out)));
    if (existsAsNonRegularFile(out))
        throw TermivoError(
            QStringLiteral("The output \"%1\" exists and is not a regular file (a folder, FIFO, device or "
                           "broken link); nothing was written.")
                .arg(QDir::toNativeSeparators(out)));
}
