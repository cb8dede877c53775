#include "platform/textfile.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QStringDecoder>

#include "platform/errors.h"

namespace {

struct AnsiTables
{
    std::array<char16_t, 256> toUnicode{};
    QHash<char16_t, unsigned char> fromUnicode;
};

const AnsiTables& ansiTables()
{
    static const AnsiTables tables = [] {
        AnsiTables t;
        QStringDecoder dec("windows-1256");
        QByteArray all;
        for (int i = 0; i < 256; ++i) all.append(char(i));
        const QString s = dec.isValid() ? dec.decode(all) : QString();
        for (int i = 0; i < 256; ++i) {
            char16_t u = (s.size() == 256) ? s[i].unicode() : char16_t(i < 128 ? i : 0xFFFD);
            t.toUnicode[i] = u;
            if (u != 0xFFFD && !t.fromUnicode.contains(u)) t.fromUnicode.insert(u, static_cast<unsigned char>(i));
        }
        // Best-fit mappings of the Persian letters and digits that the code page lacks.
        t.fromUnicode.insert(0x06CC, 0xED);  // Farsi Yeh -> Arabic Yeh
        t.fromUnicode.insert(0x06C0, 0xC0);  // Heh with Yeh above
        t.fromUnicode.insert(0x066B, '.');   // Arabic decimal separator (Persian regional settings)
        for (char16_t d = 0; d < 10; ++d) {
            t.fromUnicode.insert(char16_t(0x06F0 + d), static_cast<unsigned char>('0' + d));  // Persian digits
            t.fromUnicode.insert(char16_t(0x0660 + d), static_cast<unsigned char>('0' + d));  // Arabic-Indic digits
        }
        return t;
    }();
    return tables;
}

void syncFolder(const QString& path)
{
    const QByteArray dir = QFile::encodeName(QFileInfo(path).absolutePath());
    int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Valid UTF-8 holding at least one non-ASCII character. Persian text in Windows-1256
// is practically never valid UTF-8: its letters are lead bytes not followed by
// continuation bytes.
bool isUtf8WithoutMark(const QByteArray& bytes)
{
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
    if (ascii) return false;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8.decode(bytes);  // the check happens while decoding
    Q_UNUSED(decoded);
    return !utf8.hasError();
}

}  // namespace

QByteArray toAnsi(const QString& text)
{
    const auto& t = ansiTables();
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 128) {
            out.append(char(u));
            continue;
        }
        auto it = t.fromUnicode.constFind(u);
        out.append(it != t.fromUnicode.cend() ? char(*it) : '?');
    }
    return out;
}

bool fitsAnsi(const QString& text)
{
    const auto& t = ansiTables();
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 128) continue;
        const auto it = t.fromUnicode.constFind(u);
        if (it == t.fromUnicode.cend() || t.toUnicode[*it] != u) return false;
    }
    return true;
}

TextEncoding encodingThatHolds(const QStringList& lines, TextEncoding encoding)
{
    if (encoding != TextEncoding::Ansi) return encoding;
    return std::all_of(lines.begin(), lines.end(), fitsAnsi) ? TextEncoding::Ansi : TextEncoding::Utf8;
}

QString fromAnsi(const QByteArray& bytes)
{
    const auto& t = ansiTables();
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* p = out.data();
    for (char b : bytes) *p++ = QChar(t.toUnicode[static_cast<unsigned char>(b)]);
    return out;
}

QStringList splitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines.append(text.mid(start, i - start));
            if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n')) ++i;
            ++i;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < n) lines.append(text.mid(start));
    return lines;
}

TextFile decodeTextFile(const QByteArray& bytes)
{
    TextFile f;
    QString text;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        f.encoding = TextEncoding::Utf8;
        text = QString::fromUtf8(bytes.mid(3));
    } else if (bytes.startsWith("\xFF\xFE")) {
        f.encoding = TextEncoding::Utf16LE;
        QStringDecoder d(QStringDecoder::Utf16LE, QStringDecoder::Flag::Stateless);
        text = d.decode(bytes.mid(2));
    } else if (bytes.startsWith("\xFE\xFF")) {
        f.encoding = TextEncoding::Utf16BE;
        QStringDecoder d(QStringDecoder::Utf16BE, QStringDecoder::Flag::Stateless);
        text = d.decode(bytes.mid(2));
    } else if (isUtf8WithoutMark(bytes)) {
        f.encoding = TextEncoding::Utf8NoMark;
        text = QString::fromUtf8(bytes);
    } else {
        f.encoding = TextEncoding::Ansi;
        text = fromAnsi(bytes);
    }
    f.lines = splitLines(text);
    if (text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'))) f.lineEnd = LineEnd::Lf;
    return f;
}

QByteArray encodeTextFile(const QStringList& lines, TextEncoding encoding, LineEnd lineEnd)
{
    const QLatin1String end = lineEnd == LineEnd::Lf ? QLatin1String("\n") : QLatin1String("\r\n");
    QString text;
    qsizetype total = 0;
    for (const auto& l : lines) total += l.size() + end.size();
    text.reserve(total);
    for (const auto& l : lines) {
        text += l;
        text += end;
    }
    switch (encoding) {
        case TextEncoding::Utf8:
            return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
        case TextEncoding::Utf8NoMark:
            return text.toUtf8();
        case TextEncoding::Utf16LE: {
            QStringEncoder e(QStringEncoder::Utf16LE);
            return QByteArray("\xFF\xFE") + QByteArray(e.encode(text));
        }
        case TextEncoding::Utf16BE: {
            QStringEncoder e(QStringEncoder::Utf16BE);
            return QByteArray("\xFE\xFF") + QByteArray(e.encode(text));
        }
        case TextEncoding::Ansi:
            break;
    }
    return toAnsi(text);
}

TextFile readTextFile(const QString& path)
{
    const QString shown = QDir::toNativeSeparators(path);
    auto cannotRead = [&](const QString& why) {
        return FileError(QCoreApplication::translate("Termivo", "Cannot read file \"%1\". %2").arg(shown, why));
    };
    // Opened without waiting (a FIFO without a writer would block the open) and taken
    // only when the opened file is a regular one: a FIFO, a device such as /dev/zero
    // or a folder in place of a text file is refused, through a link too.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        throw FileError(QCoreApplication::translate("Termivo", "Cannot open file \"%1\". %2").arg(shown, why));
    }
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw cannotRead(
            QCoreApplication::translate("Termivo", "It is not a regular file (a folder, FIFO or device)."));
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    QFile f;
    if (!f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw FileError(
            QCoreApplication::translate("Termivo", "Cannot open file \"%1\". %2").arg(shown, f.errorString()));
    }
    const QString tooLarge =
        QCoreApplication::translate("Termivo", "It is larger than %1 MB, more than any file of the program holds.")
            .arg(kMaxTextFileBytes / (1024 * 1024));
    if (st.st_size > kMaxTextFileBytes) throw cannotRead(tooLarge);
    // Read in steps, so that a file that grows while it is read stops at the limit too.
    QByteArray bytes;
    bytes.reserve(qsizetype(st.st_size));
    char chunk[64 * 1024];
    for (;;) {
        const qint64 n = f.read(chunk, sizeof chunk);
        if (n < 0) throw cannotRead(f.errorString());
        if (n == 0) break;
        bytes.append(chunk, qsizetype(n));
        if (bytes.size() > kMaxTextFileBytes) throw cannotRead(tooLarge);
    }
    return decodeTextFile(bytes);
}

void writeBytesAtomically(const QString& path, const QByteArray& bytes, const BeforeReplace& beforeReplace)
{
    writeStreamAtomically(
        path, [&](QIODevice& f) { return f.write(bytes) == bytes.size(); }, beforeReplace);
}

void writeStreamAtomically(const QString& path, const std::function<bool(QIODevice&)>& write,
                           const BeforeReplace& beforeReplace)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        throw FileError(QCoreApplication::translate("Termivo", "Cannot create file \"%1\". %2")
                            .arg(QDir::toNativeSeparators(path), f.errorString()));
    bool written = false;
    try {
        written = write(f);
    } catch (...) {
        f.cancelWriting();
        throw;
    }
    if (!written || !f.flush()) {
        const QString why = f.errorString();
        f.cancelWriting();
        throw FileError(QCoreApplication::translate("Termivo", "Cannot write file \"%1\". %2")
                            .arg(QDir::toNativeSeparators(path), why));
    }
    if (::fsync(f.handle()) != 0) {
        f.cancelWriting();
        throw FileError(
            QCoreApplication::translate("Termivo", "Cannot write file \"%1\". The data could not be stored on disk.")
                .arg(QDir::toNativeSeparators(path)));
    }
    if (beforeReplace) {
        try {
            beforeReplace();
        } catch (...) {
            f.cancelWriting();
            throw;
        }
    }
    if (!f.commit())
        throw FileError(QCoreApplication::translate("Termivo", "Cannot write file \"%1\". %2")
                            .arg(QDir::toNativeSeparators(path), f.errorString()));
    syncFolder(path);
}

void writeTextFile(const QString& path, const QStringList& lines, TextEncoding encoding, LineEnd lineEnd,
                   const BeforeReplace& beforeReplace)
{
    writeBytesAtomically(path, encodeTextFile(lines, encodingThatHolds(lines, encoding), lineEnd), beforeReplace);
}

void rewriteTextFile(const QString& path, const TextFile& file, const BeforeReplace& beforeReplace)
{
    writeTextFile(path, file.lines, file.encoding, file.lineEnd, beforeReplace);
}

QString caseInsensitivePath(const QString& path)
{
    const QFileInfo info(path);
    if (info.exists()) return path;
    const QDir dir = info.absoluteDir();
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const auto& n : names)
        if (n.compare(info.fileName(), Qt::CaseInsensitive) == 0) return dir.filePath(n);
    return path;
}
