// The one rule for every file a command-line mode writes at the user's word (its
// "--out"): a new file or an existing regular file, followed through links, and never
// one of the files the program lives on or the mode reads. The replace-whole write
// would otherwise turn a FIFO or a device (/dev/null, /dev/full, also through a
// link) into a plain file, or put a table, a chart or readings in place of the
// registry, the ledger or a report file.
#pragma once

#include <QString>
#include <QStringList>

// Throws FileError (its text ends "nothing was written.") when out may not be written:
// - out exists (after following links) and is not a regular file, or is a link to
//   nothing;
// - out is one of inputs (in any spelling of its path, through a link or a second
//   name of the same file);
// - out is the program itself, or a data file of the root folder (computeRootDir):
//   the registry and settings file "DeviceStatus.txt" or the ledger
//   "last_refresh.txt" (any letter case), or a report file (".rep") of a year folder.
void checkOutputTarget(const QString& out, const QStringList& inputs = {});
