#include "platform/sharedfolder.h"

#include <sys/stat.h>

#include <QFile>

bool shareNewFilesWithFolderGroup(const QString& folder)
{
    struct stat st
    {
    };
    if (folder.isEmpty() || ::stat(QFile::encodeName(folder).constData(), &st) != 0) return false;
    if (!S_ISDIR(st.st_mode) || !(st.st_mode & S_ISGID) || !(st.st_mode & S_IWGRP)) return false;
    const mode_t old = ::umask(0);
    const mode_t shared = old & ~mode_t(S_IRWXG);
    ::umask(shared);
    return shared != old;
}
