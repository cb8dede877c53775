#include "app/auditjournal.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

#include "app/calendar.h"
#include "platform/safepath.h"

namespace {

// lupdate files a tr() inside a member function under the class's name: the members
// call QCoreApplication::translate("Termivo", ...) themselves, as the texts are looked up.
QString tr(const char* text)
{
    return QCoreApplication::translate("Termivo", text);
}

JournalError journalError(const QString& path, const QString& why)
{
    return JournalError(tr("The audit journal \"%1\" cannot be written: %2 The change was not made.")
                            .arg(QDir::toNativeSeparators(path), why));
}

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// Holds a file descriptor and its lock until the end of the scope.
class LockedFile
{
public:
    explicit LockedFile(int fd) : m_fd(fd) {}
    ~LockedFile()
    {
        if (m_fd < 0) return;
        ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
    }
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

bool isEntryObject(const nlohmann::ordered_json& j)
{
    return j.is_object() && j.contains("time") && j.contains("kind") && j.contains("prev") && j["prev"].is_string() &&
           j["kind"].is_string();
}

}  // namespace

QString journalPath(const QString& rootDir)
{
    QString r = rootDir;
    if (!r.isEmpty() && !r.endsWith(QLatin1Char('/'))) r += QLatin1Char('/');
    return r + kJournalFileName;
}

QString programVersion()
{
    return QStringLiteral(TERMIVO_VERSION);
}

QString operatingSystemUser()
{
    const uid_t uid = ::getuid();
    // getpwuid_r: the downloads append from several threads.
    struct passwd pw
    {
    };
    struct passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(uid, &pw, buffer, sizeof buffer, &found) == 0 && found && found->pw_name && *found->pw_name)
        return QString::fromLocal8Bit(found->pw_name);
    return QString::number(uid);
}

QByteArray sha256Hex(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

QString lineDigest(const QString& line)
{
    return QString::fromLatin1(sha256Hex(line.toUtf8()));
}

QString journalFileKey(const QString& rootDir, const QString& path)
{
    QString p = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (!rootDir.isEmpty()) {
        const QString r = QDir::cleanPath(QFileInfo(rootDir).absoluteFilePath());
        if (p.startsWith(r + QLatin1Char('/'))) return p.mid(r.size() + 1);
    }
    return p;
}

AuditJournal::AuditJournal(QString rootDir, JournalIdentity who) : m_rootDir(std::move(rootDir)), m_who(std::move(who))
{
}

void AuditJournal::reset(const QString& rootDir)
{
    const std::lock_guard lock(m_mutex);
    m_rootDir = rootDir;
    m_cache = Cache{};
    m_inode = -1;
}

void AuditJournal::setIdentity(JournalIdentity who)
{
    const std::lock_guard lock(m_mutex);
    m_who = std::move(who);
}

QString AuditJournal::rootDir() const
{
    return m_rootDir;
}

QString AuditJournal::path() const
{
    return journalPath(m_rootDir);
}

void AuditJournal::noteLine(const QByteArray& line)
{
    m_cache.lastLine = line;
    // Only report entries name a file; the others are passed over without parsing.
    if (!line.contains("\"kind\":\"report.")) return;
    const auto j = nlohmann::ordered_json::parse(line.constBegin(), line.constEnd(), nullptr, false);
    if (!isEntryObject(j)) return;
    const auto details = j.find("details");
    if (details == j.end() || !details->is_object()) return;
    const auto file = details->find("file");
    if (file != details->end() && file->is_string())
        m_cache.files.insert(QString::fromStdString(file->get<std::string>()));
}

void AuditJournal::catchUp(int fd)
{
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0) throw journalError(path(), systemError(errno));
    if (qint64(st.st_ino) != m_inode || st.st_size < m_cache.size) {
        m_cache = Cache{};
        m_inode = qint64(st.st_ino);
    }
    if (st.st_size == m_cache.size) return;
    // The bytes from the start of the last line read (it may have been cut off) to the end.
    const qint64 from = m_cache.endsWithLineFeed ? m_cache.size : m_cache.size - m_cache.lastLine.size();
    QByteArray bytes;
    bytes.resize(qsizetype(st.st_size - from));
    qint64 got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::pread(fd, bytes.data() + got, size_t(bytes.size() - got), off_t(from + got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            throw journalError(path(), n < 0 ? systemError(errno)
                                             : QCoreApplication::translate("Termivo", "It ended while it was read."));
        got += n;
    }
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype end = bytes.indexOf('\n', start);
        if (end < 0) {
            noteLine(bytes.mid(start));
            m_cache.endsWithLineFeed = false;
            break;
        }
        noteLine(bytes.mid(start, end - start));
        m_cache.endsWithLineFeed = true;
        start = end + 1;
    }
    m_cache.size = st.st_size;
}

QByteArray AuditJournal::append(const QString& kind, const nlohmann::ordered_json& details)
{
    const std::lock_guard lock(m_mutex);
    const QString file = path();
    if (m_rootDir.isEmpty()) throw journalError(file, QCoreApplication::translate("Termivo", "No root folder is set."));
    // The journal must be a regular file of the root folder, not a link out of it.
    try {
        requireRegularFileInside(file, m_rootDir);
    } catch (const FileError& e) {
        throw journalError(file, e.text());
    }
    const QByteArray native = QFile::encodeName(file);
    const int fd = ::open(native.constData(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) throw journalError(file, systemError(errno));
    LockedFile locked(fd);
    while (::flock(fd, LOCK_EX) != 0)
        if (errno != EINTR) throw journalError(file, systemError(errno));
    catchUp(fd);

    const QDateTime now = m_who.now ? m_who.now() : programNow();
    nlohmann::ordered_json entry;
    entry["time"] = now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODate).toStdString();
    entry["user"] = m_who.user.toStdString();
    entry["version"] = m_who.version.toStdString();
    entry["kind"] = kind.toStdString();
    entry["details"] = details;
    entry["prev"] = sha256Hex(m_cache.size == 0 ? QByteArray() : m_cache.lastLine).toStdString();
    // Invalid UTF-8 (a name decoded badly) is replaced rather than refused: the change
    // is still journalled.
    QByteArray line =
        QByteArray::fromStdString(entry.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace));

    QByteArray bytes;
    if (!m_cache.endsWithLineFeed) bytes += '\n';  // a cut-off last line stays alone on its line
    bytes += line;
    bytes += '\n';
    qint64 written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int code = errno;
            // Whatever part went out is a cut-off line: read it back at the next append.
            m_cache = Cache{};
            m_inode = -1;
            throw journalError(file,
                               n < 0 ? systemError(code) : QCoreApplication::translate("Termivo", "The disk is full."));
        }
        written += n;
    }
    if (::fdatasync(fd) != 0) {
        const int code = errno;
        m_cache = Cache{};
        m_inode = -1;
        throw journalError(file, systemError(code));
    }
    if (m_cache.size == 0) {
        // A new journal: its folder entry is made durable too.
        const int dir = ::open(QFile::encodeName(QFileInfo(file).absolutePath()).constData(), O_RDONLY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }
    m_cache.size += bytes.size();
    m_cache.endsWithLineFeed = true;
    noteLine(line);
    return line;
}

bool AuditJournal::knowsFile(const QString& fileKey)
{
    const std::lock_guard lock(m_mutex);
    const QString file = path();
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        if (errno == ENOENT) return false;
        throw JournalError(QCoreApplication::translate("Termivo", "The audit journal \"%1\" cannot be read: %2")
                               .arg(QDir::toNativeSeparators(file), systemError(errno)));
    }
    LockedFile locked(fd);
    while (::flock(fd, LOCK_SH) != 0)
        if (errno != EINTR) break;
    catchUp(fd);
    return m_cache.files.contains(fileKey);
}

namespace {

// Reads one line of the journal: its digest and, when it is one, its entry.
void readJournalLine(const QByteArray& bytes, qsizetype start, qsizetype end, bool complete, JournalLine& line)
{
    line.text = bytes.mid(start, end - start);
    line.digest = sha256Hex(line.text);
    line.complete = complete;
    auto j = nlohmann::ordered_json::parse(line.text.constBegin(), line.text.constEnd(), nullptr, false);
    if (complete && isEntryObject(j)) line.entry = std::move(j);
}

}  // namespace

JournalScan scanJournal(const QString& path)
{
    JournalScan scan;
    QFile f(path);
    if (!f.exists()) return scan;
    if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly))
        throw JournalError(
            tr("The audit journal \"%1\" cannot be read: %2").arg(QDir::toNativeSeparators(path), f.errorString()));
    scan.exists = true;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw JournalError(
            tr("The audit journal \"%1\" cannot be read: %2").arg(QDir::toNativeSeparators(path), f.errorString()));

    // Where each line starts; then the lines are read (digest and JSON, the bulk of the
    // work) on as many threads as the machine has, in parts of consecutive lines.
    std::vector<qsizetype> starts;
    for (qsizetype start = 0; start < bytes.size();) {
        starts.push_back(start);
        const qsizetype end = bytes.indexOf('\n', start);
        start = end < 0 ? bytes.size() : end + 1;
    }
    scan.lines.resize(starts.size());
    auto readLines = [&](size_t from, size_t to) {
        for (size_t i = from; i < to; ++i) {
            const qsizetype start = starts[i];
            qsizetype end = i + 1 < starts.size() ? starts[i + 1] - 1 : bytes.indexOf('\n', start);
            const bool complete = end >= 0;
            if (!complete) end = bytes.size();
            scan.lines[i].number = int(i + 1);
            readJournalLine(bytes, start, end, complete, scan.lines[i]);
        }
    };
    constexpr size_t kLinesPerThread = 4096;
    const size_t threads =
        std::clamp<size_t>(starts.size() / kLinesPerThread, 1, std::max(1u, std::thread::hardware_concurrency()));
    std::vector<std::thread> workers;
    const size_t part = (starts.size() + threads - 1) / threads;
    for (size_t t = 1; t < threads; ++t)
        workers.emplace_back(readLines, t * part, std::min(starts.size(), (t + 1) * part));
    readLines(0, std::min(starts.size(), part));
    for (auto& w : workers) w.join();

    QByteArray previous = sha256Hex(QByteArray());
    for (const JournalLine& line : scan.lines) {
        if (line.entry) {
            if (!scan.chainBreak && QByteArray::fromStdString((*line.entry)["prev"].get<std::string>()) != previous)
                scan.chainBreak = line.number;
        } else {
            scan.damaged.push_back(line.number);
        }
        previous = line.digest;
    }
    scan.tornLast = !bytes.isEmpty() && !bytes.endsWith('\n');
    return scan;
}
