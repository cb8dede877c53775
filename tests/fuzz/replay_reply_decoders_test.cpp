// Replays the committed corpus of the reply decoders' fuzz target.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#define TERMIVO_FUZZ_REPLAY
#include "../../fuzz/fuzz_reply_decoders.cpp"

TEST(FuzzCorpus, ReplyDecoders)
{
    const QDir dir(QStringLiteral(TERMIVO_SOURCE_DIR "/fuzz/corpus/reply_decoders"));
    const QStringList files = dir.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString& name : files) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        EXPECT_EQ(fuzzReplyDecoders(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())), 0)
            << name.toStdString();
    }
}
