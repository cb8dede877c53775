#include "platform/safepath.h"

#include <sys/stat.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "platform/errors.h"

namespace {

bool statOf(const QString& path, struct stat& st)
{
    return ::stat(QFile::encodeName(path).constData(), &st) == 0;
}

bool isLink(const QString& path)
{
    struct stat st
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// The resolved path lies inside the resolved root.
void requireInside(const QString& path, const QString& root)
{
    const QString r = QFileInfo(root).canonicalFilePath();
    const QString p = QFileInfo(path).canonicalFilePath();
    if (r.isEmpty() || p.isEmpty() || !(p + QLatin1Char('/')).startsWith(r + QLatin1Char('/')))
        throw FileError(QStringLiteral("\"%1\" leads outside the root folder \"%2\" (to \"%3\"); it is not written.")
                            .arg(shown(path), shown(root), shown(p)));
}

}  // namespace

bool existsAsNonRegularFile(const QString& path)
{
    struct stat st
    {
    };
    if (!statOf(path, st)) return isLink(path);  // a dangling link is no regular file
    return !S_ISREG(st.st_mode);
}

bool sameFile(const QString& a, const QString& b)
{
    struct stat sa
    {
    }, sb{};
    return statOf(a, sa) && statOf(b, sb) && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

void requireRegularFileInside(const QString& path, const QString& root)
{
    struct stat st
    {
    };
    if (!statOf(path, st)) {
        if (isLink(path))
            throw FileError(
                QStringLiteral("\"%1\" is a symbolic link to a missing file; it is not written.").arg(shown(path)));
        // The file does not exist yet: its folder decides where it will be.
        requireFolderInside(QFileInfo(path).absolutePath(), root);
        return;
    }
    if (!S_ISREG(st.st_mode))
        throw FileError(QStringLiteral("\"%1\" is not a regular file (a folder, FIFO or device); it is left alone.")
                            .arg(shown(path)));
    requireInside(path, root);
}

void requireFolderInside(const QString& folder, const QString& root)
{
    struct stat st
    {
    };
    if (!statOf(folder, st)) {
        if (isLink(folder))
            throw FileError(QStringLiteral("\"%1\" is a symbolic link to a missing folder; nothing is written there.")
                                .arg(shown(folder)));
        return;
    }
    if (!S_ISDIR(st.st_mode))
        throw FileError(QStringLiteral("\"%1\" is not a folder; nothing is written there.").arg(shown(folder)));
    requireInside(folder, root);
}

QStringList removeStaleTemporaryFiles(const QString& root)
{
    static const QRegularExpression ours(
        QStringLiteral("^(.+\\.rep|last_refresh\\.txt|devicestatus\\.txt)\\.[A-Za-z0-9]{6}$"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression yearFolder(QStringLiteral("^\\d{1,2}$"));
    QStringList removed;
    QStringList folders{root};
    const QDir top(root);
    for (const QString& sub : top.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks))
        if (yearFolder.match(sub).hasMatch()) folders << top.filePath(sub);
    const QDateTime old = QDateTime::currentDateTimeUtc().addSecs(-60);
    for (const QString& folder : folders) {
        const QDir dir(folder);
        for (const QFileInfo& fi : dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks)) {
            if (!ours.match(fi.fileName()).hasMatch() || fi.lastModified().toUTC() > old) continue;
            if (QFile::remove(fi.absoluteFilePath())) removed << fi.absoluteFilePath();
        }
    }
    return removed;
}
