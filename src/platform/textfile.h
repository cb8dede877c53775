// Text files of the program: lines ending in CR LF, a byte-order mark honoured on
// reading (UTF-8, UTF-16 LE or BE); without one, valid UTF-8 with non-ASCII
// characters is UTF-8, anything else Windows-1256. A file is written back
// in the encoding it was read in (and, through rewriteTextFile, with the line ends
// it had); every write replaces the file whole.
#pragma once

#include <functional>

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>

// Utf8NoMark: UTF-8 without a byte-order mark, as Linux editors save it.
enum class TextEncoding { Ansi, Utf8, Utf16LE, Utf16BE, Utf8NoMark };

// How lines end: CR LF (the program's own files, a new file), or a bare LF (a file
// saved by a Linux editor).
enum class LineEnd { CrLf, Lf };

struct TextFile
{
    QStringList lines;
    TextEncoding encoding = TextEncoding::Ansi;
    // Lf only when the file broke its lines with bare LFs alone; a file without any
    // line break, or with a CR anywhere, counts as CR LF.
    LineEnd lineEnd = LineEnd::CrLf;
};

// Splits decoded text into lines at CR LF, LF or CR; a final line break adds no line.
QStringList splitLines(const QString& text);
TextFile decodeTextFile(const QByteArray& bytes);
QByteArray encodeTextFile(const QStringList& lines, TextEncoding encoding, LineEnd lineEnd = LineEnd::CrLf);

// Windows-1256 with best fit: Farsi Yeh becomes Arabic Yeh, Persian and
// Arabic-Indic digits become ASCII digits, the Arabic decimal separator a point,
// anything else without a byte becomes "?".
QByteArray toAnsi(const QString& text);
QString fromAnsi(const QByteArray& bytes);

// Whether Windows-1256 holds every character of text exactly (no best fit).
bool fitsAnsi(const QString& text);
// The encoding in which lines are written when encoding is asked for: Windows-1256
// gives way to UTF-8 with its mark when a line holds a character that the code page
// lacks, so that no letter is ever substituted; every other encoding holds anything.
TextEncoding encodingThatHolds(const QStringList& lines, TextEncoding encoding);

// The most a text file of the program may hold (64 MB): a report file of a whole
// year holds about 40 KB, the registry and the ledger a few KB.
inline constexpr qint64 kMaxTextFileBytes = qint64(64) * 1024 * 1024;

// Reads the whole file; throws FileError when it cannot be read, when it is not a
// regular file (a FIFO, a device, a folder: nothing is waited for or read from it)
// or when it holds more than kMaxTextFileBytes.
TextFile readTextFile(const QString& path);
// Called by a whole-file write once the new content is written, flushed and on disk in
// its temporary file, just before the rename puts it in place: what must be recorded
// before the file changes (the audit journal's entry) is recorded here. An exception it
// throws cancels the write (the old file stays as it was) and reaches the caller.
using BeforeReplace = std::function<void()>;

// Replaces the file whole (write to a temporary file, flush, rename, sync the
// folder); throws FileError and leaves the old file as it was on any failure. The
// lines are written in encodingThatHolds(lines, encoding); an export whose format is
// Windows-1256 with best fit writes encodeTextFile's bytes itself.
void writeTextFile(const QString& path, const QStringList& lines, TextEncoding encoding = TextEncoding::Ansi,
                   LineEnd lineEnd = LineEnd::CrLf, const BeforeReplace& beforeReplace = {});
// Writes file (as read by readTextFile, its lines changed) back whole: in its
// encoding (as writeTextFile holds it) and with its line ends. A default TextFile is
// a new file: Windows-1256, CR LF.
void rewriteTextFile(const QString& path, const TextFile& file, const BeforeReplace& beforeReplace = {});
void writeBytesAtomically(const QString& path, const QByteArray& bytes, const BeforeReplace& beforeReplace = {});
// The same for an output written in parts: write puts them into the device and returns
// false when a write failed; an exception it throws cancels the file too.
void writeStreamAtomically(const QString& path, const std::function<bool(QIODevice&)>& write,
                           const BeforeReplace& beforeReplace = {});

// The existing file in path's folder whose name equals path's name without regard
// to letter case; path itself when none exists.
QString caseInsensitivePath(const QString& path);
