#include "app/outputtarget.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include "app/rootdir.h"
#include "platform/errors.h"
#include "platform/safepath.h"
#include "platform/textfile.h"

namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// Where a write to path lands: the resolved file when it exists, else the resolved
// folder and the name.
QString landingPath(const QString& path)
{
    const QFileInfo fi(path);
    QString canonical = fi.canonicalFilePath();
    if (!canonical.isEmpty()) return canonical;
    const QString folder = QFileInfo(fi.absolutePath()).canonicalFilePath();
    return (folder.isEmpty() ? fi.absolutePath() : folder) + QLatin1Char('/') + fi.fileName();
}

// What the program keeps at landing inside root, or nothing.
QString dataFileKind(const QString& landing, const QString& root)
{
    static const QRegularExpression yearFolder(QStringLiteral("^\\d{1,2}$"));
    const QString rootPath = QFileInfo(root).canonicalFilePath();
    if (rootPath.isEmpty()) return {};
    const QFileInfo fi(landing);
    const QString folder = fi.absolutePath();
    const QString name = fi.fileName();
    if (folder == rootPath) {
        if (name.compare(QLatin1String("DeviceStatus.txt"), Qt::CaseInsensitive) == 0)
            return QStringLiteral("the registry and settings file");
        if (name.compare(QLatin1String("last_refresh.txt"), Qt::CaseInsensitive) == 0)
            return QStringLiteral("the refresh ledger");
    }
    const QFileInfo folderInfo(folder);
    if (folderInfo.absolutePath() == rootPath && yearFolder.match(folderInfo.fileName()).hasMatch() &&
        name.endsWith(QLatin1String(".rep"), Qt::CaseInsensitive))
        return QStringLiteral("a report file");
    return {};
}

}  // namespace

void checkOutputTarget(const QString& out, const QStringList& inputs)
{
    if (existsAsNonRegularFile(out))
        throw FileError(QStringLiteral("The output \"%1\" exists and is not a regular file (a folder, FIFO, device or "
                                       "broken link); nothing was written.")
                            .arg(shown(out)));
    for (const QString& input : inputs)
        if (sameFile(input, out))
            throw FileError(QStringLiteral("The output file \"%1\" is the input \"%2\" itself; nothing was written.")
                                .arg(shown(out), shown(input)));
    const QString root = computeRootDir();
    if (QCoreApplication::instance() && sameFile(out, QCoreApplication::applicationFilePath()))
        throw FileError(
            QStringLiteral("The output file \"%1\" is the program itself; nothing was written.").arg(shown(out)));
    // The registry and the ledger also under a second name (a hard link).
    for (const QString& own : {caseInsensitivePath(root + QStringLiteral("DeviceStatus.txt")),
                               caseInsensitivePath(root + QStringLiteral("last_refresh.txt"))})
        if (sameFile(out, own))
            throw FileError(QStringLiteral("The output file \"%1\" is \"%2\" of the root folder; nothing was written.")
                                .arg(shown(out), shown(own)));
    const QString kind = dataFileKind(landingPath(out), root);
    if (!kind.isEmpty())
        throw FileError(
            QStringLiteral("The output file \"%1\" would replace %2 of the root folder \"%3\"; nothing was written.")
                .arg(shown(out), kind, shown(root)));
}
