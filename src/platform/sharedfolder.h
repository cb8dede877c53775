// A root folder shared by a group of users (set-group-ID and group-writable, as the
// installed program's /var/lib/termivo is): files and folders the program makes in
// it are writable by that group too, whatever the user's own umask says.
#pragma once

#include <QString>

// When folder is set-group-ID and group-writable, takes the group's bits out of the
// process's umask (new files 0664, folders 0775 under the usual umask 022); any other
// folder leaves the umask as it is. Returns true when the umask was changed.
bool shareNewFilesWithFolderGroup(const QString& folder);
