// The one reset: nothing of an earlier run (a registry, a chosen device, a granted
// expert access, the link's waits) reaches the next one.
#include "app/programstate.h"

#include "app/records.h"
#include "app/registry.h"
#include "config/expertaccess.h"
#include "link/devicelink.h"
#include "support/fixtures.h"

namespace {

using ProgramState = RootFixture;

TEST_F(ProgramState, TheResetLeavesNothingOfAnEarlierRun)
{
    writeLines(path("DeviceStatus.txt"),
               {"timeout = 100,100,100", "device  =Cold room,COM1,Freezer,,,,A,T,lan,", "device  =broken line"});
    dlg.allow(Kind::Error);
    reportRegistryNotes(loadRegistry());
    ASSERT_EQ(DevLast, 0);
    ASSERT_EQ(lastSkippedLineCount(), 1);
    SelDevice = DevList[0];
    programState().stop.request();
    YearChanged = 1;
    dlg.allow(Kind::Message);
    expertAccess().grant();
    changeLinkSettings(link(), [](LinkSettings& s) {
        s.lanReadTimeoutMs = 1;
        s.disconnectPauseMs = 0;
    });

    resetProgramState();
    EXPECT_EQ(DevLast, -1);
    EXPECT_TRUE(DevList[0].ID.isEmpty());
    EXPECT_TRUE(SelDevice.IP.isEmpty());
    EXPECT_EQ(Prog.TimeOut1, 0);
    EXPECT_EQ(Prog.RootDir, root());
    EXPECT_FALSE(programState().stop.requested());
    EXPECT_EQ(YearChanged, 0);
    EXPECT_EQ(lastSkippedLineCount(), 0);
    EXPECT_TRUE(takeUnreportedSkippedLines().isEmpty());
    EXPECT_FALSE(expertAccess().granted());
    EXPECT_EQ(link().settings().lanReadTimeoutMs, 500);
    EXPECT_EQ(link().settings().disconnectPauseMs, LinkSettings{}.disconnectPauseMs);
}

}  // namespace
