// Replays the committed corpus of the report loader's fuzz target.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "platform/dialogs.h"

#define TERMIVO_FUZZ_REPLAY
#include "../../fuzz/fuzz_report_loader.cpp"

TEST(FuzzCorpus, ReportLoader)
{
    const QDir dir(QStringLiteral(TERMIVO_SOURCE_DIR "/fuzz/corpus/report_loader"));
    const QStringList files = dir.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString& name : files) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        EXPECT_EQ(fuzzReportLoader(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())), 0)
            << name.toStdString();
    }
    setDialogs(nullptr);
}
