// Checks of the files the program replaces: a report file, the ledger or a year
// folder must be what it seems (a regular file, a folder) and must lie inside the
// root folder, also after following symbolic links. A FIFO or a device node in
// place of a file would hang a read or be replaced by a plain file; a link out of
// the root folder would write somewhere else.
#pragma once

#include <QString>
#include <QStringList>

// Throws FileError naming path when path exists (or is a dangling symbolic link) and
// is not a regular file, or when it resolves to a place outside root. Nothing is
// thrown for a path that does not exist yet.
void requireRegularFileInside(const QString& path, const QString& root);
// The same for a folder: an existing path must be a folder inside root.
void requireFolderInside(const QString& folder, const QString& root);
// Whether path exists and is not a regular file (after following links).
bool existsAsNonRegularFile(const QString& path);
// Whether the two paths name one existing file (same device and inode).
bool sameFile(const QString& a, const QString& b);

// Removes the temporary copies that a replace-whole write leaves beside its file when
// the process is killed at the rename ("<name>.XXXXXX" beside a report file, the
// ledger or the registry), in root and its year folders. Only copies older than a
// minute are taken, so that a write under way in another process is not disturbed.
// Returns the paths removed.
QStringList removeStaleTemporaryFiles(const QString& root);
