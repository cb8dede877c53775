// The temporary copies a killed write leaves are removed at the next run; only ours,
// and only stale ones.
#include "platform/safepath.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include "support/fixtures.h"

namespace {

using StaleCopies = RootFixture;

TEST_F(StaleCopies, OnlyOldCopiesOfOurFilesAreRemoved)
{
    const struct
    {
        const char* name;
        bool old;
        bool removed;
    } files[] = {
        {"3/A1_Room.rep.Ab12Cd", true, true},      {"last_refresh.txt.Zz99Yy", true, true},
        {"DeviceStatus.txt.q1w2e3", true, true},   {"3/A1_Room.rep.Fresh1", false, false},
        {"3/notes.txt.abcdef", true, false},       {"3/A1_Room.rep", true, false},
        {"other/A1_Room.rep.Ab12Cd", true, false}, {"3/A1_Room.rep.toolong", true, false},
    };
    for (const auto& f : files) {
        writeFileBytes(path(f.name), "x");
        if (f.old) {
            QFile file(path(f.name));
            ASSERT_TRUE(file.open(QIODevice::ReadWrite));
            file.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-3600), QFileDevice::FileModificationTime);
        }
    }
    const QStringList removed = removeStaleTemporaryFiles(root());
    for (const auto& f : files) EXPECT_EQ(QFileInfo::exists(path(f.name)), !f.removed) << f.name;
    EXPECT_EQ(removed.size(), 3);
}

}  // namespace
