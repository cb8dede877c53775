// The output of a batch export must not destroy anything: not the report file it
// was made from (in whatever spelling of its path, through a link too), and not an
// existing target that is not a regular file (a FIFO, a device node, a folder),
// which the replace-whole write would turn into a plain file.
#pragma once

#include <QString>

// Throws TermivoError with the reason when out may not be written for input.
void checkExportTarget(const QString& input, const QString& out);
