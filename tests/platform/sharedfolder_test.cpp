// Files made in a folder shared by a group are writable by that group, whatever the
// user's umask; other folders keep the umask.
#include "platform/sharedfolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QTemporaryDir>

#include "platform/textfile.h"

namespace {

mode_t modeOf(const QString& path)
{
    struct stat st
    {
    };
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
    return st.st_mode & 07777;
}

class UmaskGuard
{
public:
    explicit UmaskGuard(mode_t mask) : m_old(::umask(mask)) {}
    ~UmaskGuard() { ::umask(m_old); }

private:
    mode_t m_old;
};

TEST(SharedFolder, NewFilesAndFoldersFollowTheFoldersGroup)
{
    struct Case
    {
        const char* name;
        mode_t folderMode;
        bool shared;
        mode_t fileMode;
        mode_t subfolderMode;  // without the set-group-ID bit, which the kernel passes on
    };
    const Case cases[] = {
        {"set-group-ID and group-writable", 02775, true, 0664, 0775},
        {"set-group-ID, not group-writable", 02755, false, 0644, 0755},
        {"group-writable without set-group-ID", 0775, false, 0644, 0755},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UmaskGuard mask(022);
        QTemporaryDir tmp;
        ASSERT_TRUE(tmp.isValid());
        ASSERT_EQ(::chmod(QFile::encodeName(tmp.path()).constData(), c.folderMode), 0);
        EXPECT_EQ(shareNewFilesWithFolderGroup(tmp.path()), c.shared);
        const QString file = tmp.path() + QStringLiteral("/last_refresh.txt");
        writeTextFile(file, {QStringLiteral("Device,Type")});
        EXPECT_EQ(modeOf(file), c.fileMode);
        writeTextFile(file, {QStringLiteral("Device,Type,again")});  // replaced whole, still shared
        EXPECT_EQ(modeOf(file), c.fileMode);
        ASSERT_TRUE(QDir(tmp.path()).mkpath(QStringLiteral("3")));
        EXPECT_EQ(modeOf(tmp.path() + QStringLiteral("/3")) & 0777, c.subfolderMode);
    }
    EXPECT_FALSE(shareNewFilesWithFolderGroup(QStringLiteral("/no/such/folder")));
}

}  // namespace
