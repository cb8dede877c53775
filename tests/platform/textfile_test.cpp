#include "platform/textfile.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <tuple>

#include <QDir>
#include <QStringEncoder>

#include "platform/errors.h"
#include "support/fixtures.h"

namespace {

class TextFileTest : public RootFixture
{
};

TEST_F(TextFileTest, FilesWithAMarkRoundTripByteForByte)
{
    const QStringList lines{QStringLiteral("device  =انبار,COM3,دما,,,,B,T,wireless,"), QStringLiteral("picfile = ")};
    for (TextEncoding enc : {TextEncoding::Utf16LE, TextEncoding::Utf16BE, TextEncoding::Utf8}) {
        const QByteArray original = encodeTextFile(lines, enc);
        writeFileBytes(path("f.txt"), original);
        const TextFile f = readTextFile(path("f.txt"));
        EXPECT_EQ(f.encoding, enc);
        EXPECT_EQ(f.lines, lines);
        writeTextFile(path("f.txt"), f.lines, f.encoding);
        EXPECT_EQ(readFileBytes(path("f.txt")), original);
    }
}

TEST_F(TextFileTest, AnsiIsWindows1256WithBestFit)
{
    // Farsi Yeh becomes Arabic Yeh (0xED), Persian digits ASCII digits, anything
    // else without a byte "?", never a control byte.
    EXPECT_EQ(toAnsi(QString::fromUtf8("ی۱۲a€☃")), QByteArray("\xED"
                                                              "12a\x80?"));
    EXPECT_EQ(fromAnsi(QByteArray("\xC7\x81\x98")), QString::fromUtf8("اپک"));
    QByteArray all;
    for (int i = 0; i < 256; ++i) all.append(char(i));
    EXPECT_EQ(toAnsi(fromAnsi(all)), all);
}

// Without a mark: valid UTF-8 with non-ASCII characters (what Linux editors save) is
// UTF-8 and is written back so, byte for byte; anything else is Windows-1256.
TEST_F(TextFileTest, FilesWithoutAMark)
{
    struct Case
    {
        const char* what;
        QByteArray bytes;
        TextEncoding encoding;
        QStringList lines;
    };
    const Case cases[] = {
        {"UTF-8 Persian",
         QStringLiteral("device  =انبار,COM3,دما\r\nx\r\n").toUtf8(),
         TextEncoding::Utf8NoMark,
         {QStringLiteral("device  =انبار,COM3,دما"), "x"}},
        {"UTF-8, LF only", QByteArray("caf\xC3\xA9\n"), TextEncoding::Utf8NoMark, {QStringLiteral("café")}},
        {"Windows-1256 Persian", QByteArray("\xC7\xE4\xC8\xC7\xD1\r\n"), TextEncoding::Ansi, {QStringLiteral("انبار")}},
        {"ASCII", QByteArray("a\r\nb\r\n"), TextEncoding::Ansi, {"a", "b"}},
        {"truncated UTF-8", QByteArray("ab\xD8\r\n"), TextEncoding::Ansi, {QStringLiteral("ab") + fromAnsi("\xD8")}},
        {"overlong UTF-8", QByteArray("\xC0\xAF\r\n"), TextEncoding::Ansi, {fromAnsi("\xC0\xAF")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeFileBytes(path("f.txt"), c.bytes);
        const TextFile f = readTextFile(path("f.txt"));
        EXPECT_EQ(f.encoding, c.encoding);
        EXPECT_EQ(f.lines, c.lines);
        rewriteTextFile(path("f.txt"), f);
        EXPECT_EQ(readFileBytes(path("f.txt")), c.bytes);
    }
}

TEST_F(TextFileTest, LineEndsOfEveryKindAreRead)
{
    EXPECT_EQ(splitLines(QStringLiteral("a\r\nb\nc\rd")), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(splitLines(QStringLiteral("a\r\n\r\nb\r\n")), (QStringList{"a", "", "b"}));
    EXPECT_TRUE(splitLines(QString()).isEmpty());
    EXPECT_EQ(encodeTextFile({"x", "y"}, TextEncoding::Ansi), QByteArray("x\r\ny\r\n"));
    EXPECT_EQ(encodeTextFile({"x", "y"}, TextEncoding::Utf8NoMark, LineEnd::Lf), QByteArray("x\ny\n"));
}

// A file is written back with the line ends it had: bare LFs stay LFs; anything with a
// CR, and a file without a line break, gets the program's CR LF.
TEST_F(TextFileTest, LineEndsAreKeptOnRewrite)
{
    const QList<std::tuple<QByteArray, LineEnd, QByteArray>> cases{
        {"a\nb\n", LineEnd::Lf, "a\nb\nc\n"},
        {"a\nb", LineEnd::Lf, "a\nb\nc\n"},
        {"a\r\nb\r\n", LineEnd::CrLf, "a\r\nb\r\nc\r\n"},
        {"a\nb\r\n", LineEnd::CrLf, "a\r\nb\r\nc\r\n"},
        {"a\rb\r", LineEnd::CrLf, "a\r\nb\r\nc\r\n"},
        {"ab", LineEnd::CrLf, "ab\r\nc\r\n"},
    };
    for (const auto& [bytes, lineEnd, after] : cases) {
        SCOPED_TRACE(bytes.toStdString());
        writeFileBytes(path("f.txt"), bytes);
        TextFile f = readTextFile(path("f.txt"));
        EXPECT_EQ(f.lineEnd, lineEnd);
        f.lines << "c";
        rewriteTextFile(path("f.txt"), f);
        EXPECT_EQ(readFileBytes(path("f.txt")), after);
    }
    // UTF-16 with LFs, and a file that becomes UTF-8 for a Farsi Yeh, keep their LFs too.
    QStringEncoder utf16(QStringEncoder::Utf16LE);
    writeFileBytes(path("f.txt"), QByteArray("\xFF\xFE") + QByteArray(utf16.encode(QStringLiteral("a\n"))));
    rewriteTextFile(path("f.txt"), readTextFile(path("f.txt")));
    EXPECT_EQ(readFileBytes(path("f.txt")), QByteArray("\xFF\xFE") + QByteArray(utf16.encode(QStringLiteral("a\n"))));
    writeFileBytes(path("f.txt"), "a\n");
    TextFile f = readTextFile(path("f.txt"));
    f.lines << QStringLiteral("ی");
    rewriteTextFile(path("f.txt"), f);
    EXPECT_EQ(readFileBytes(path("f.txt")), QByteArray("\xEF\xBB\xBF") + QStringLiteral("a\nی\n").toUtf8());
}

TEST_F(TextFileTest, AFailedWriteLeavesTheOldFileWhole)
{
    writeLines(path("keep.txt"), {"old"});
    const QStringList big(2000, QStringLiteral("a line of a file that no longer fits on the disk"));
    {
        FileSizeLimit full(4096);
        EXPECT_THROW(writeTextFile(path("keep.txt"), big), FileError);
    }
    EXPECT_EQ(readLines(path("keep.txt")), QStringList{"old"});
    EXPECT_EQ(QDir(root()).entryList(QDir::Files), QStringList{"keep.txt"});  // no temporary file left behind
}

// The hook runs once the new content is written, while the old file is still in
// place; an exception from it cancels the write, and a write that failed before it
// never calls it.
TEST_F(TextFileTest, TheHookBeforeTheRenameSeesTheWrittenTemporaryFileAndCanCancelIt)
{
    writeLines(path("keep.txt"), {"old"});
    QList<QStringList> seen;
    writeTextFile(path("keep.txt"), {"new"}, TextEncoding::Ansi, LineEnd::CrLf,
                  [&] { seen << readLines(path("keep.txt")); });
    EXPECT_EQ(seen, QList<QStringList>{QStringList{"old"}});
    EXPECT_EQ(readLines(path("keep.txt")), QStringList{"new"});

    const QByteArray before = readFileBytes(path("keep.txt"));
    EXPECT_THROW(
        rewriteTextFile(path("keep.txt"), TextFile{{"newer"}}, [] { throw FileError(QStringLiteral("not recorded")); }),
        FileError);
    EXPECT_THROW(writeBytesAtomically(path("keep.txt"), "newest", [] { throw std::runtime_error("stop"); }),
                 std::runtime_error);
    EXPECT_EQ(readFileBytes(path("keep.txt")), before);
    EXPECT_EQ(QDir(root()).entryList(QDir::Files), QStringList{"keep.txt"});

    bool called = false;
    {
        FileSizeLimit full(4096);
        const QStringList big(2000, QStringLiteral("a line of a file that no longer fits on the disk"));
        EXPECT_THROW(writeTextFile(path("keep.txt"), big, TextEncoding::Ansi, LineEnd::CrLf, [&] { called = true; }),
                     FileError);
    }
    EXPECT_FALSE(called);
    EXPECT_EQ(readFileBytes(path("keep.txt")), before);
}

TEST_F(TextFileTest, ReadingAMissingFileIsAFileError)
{
    EXPECT_THROW(readTextFile(path("missing.txt")), FileError);
}

}  // namespace
