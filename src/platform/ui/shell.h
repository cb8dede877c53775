// The desktop's "open" for a folder, a document or a web address. Tests install a
// recorder in its place, so that nothing is launched.
#pragma once

#include <functional>

#include <QString>

using ShellOpener = std::function<void(const QString& target)>;

// Opens a local path (folder or document) or a web address with the desktop.
void shellOpen(const QString& target);
// Installs opener in place of the desktop; an empty one restores the desktop.
void setShellOpener(ShellOpener opener);
