// The one reset: nothing of an earlier run (a registry, a chosen device, a granted
// expert access, the link's waits) reaches the next one.
#include "app/programstate.h"

#include "app/channelclash.h"
#include "app/ledger.h"
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
    reportRegistryNotes(loadRegistry(state()));
    ASSERT_EQ(DevLast, 0);
    ASSERT_EQ(lastSkippedLineCount(state()), 1);
    SelDevice = DevList[0];
    state().stop.request();
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
    EXPECT_FALSE(state().stop.requested());
    EXPECT_EQ(YearChanged, 0);
    EXPECT_EQ(lastSkippedLineCount(state()), 0);
    EXPECT_TRUE(takeUnreportedSkippedLines(state()).isEmpty());
    EXPECT_FALSE(expertAccess().granted());
    EXPECT_EQ(link().settings().lanReadTimeoutMs, 500);
    EXPECT_EQ(link().settings().disconnectPauseMs, LinkSettings{}.disconnectPauseMs);
}

// The channel clashes, the unreadable ledger positions and the retry policy go with
// the rest: a later run neither holds back a channel nor retries as an earlier one.
TEST_F(ProgramState, TheResetForgetsTheLoadNotesAndTheRetryPolicy)
{
    // One device ID registered twice with the same channel name: the later one is held back.
    writeLines(path("DeviceStatus.txt"),
               {"device  =Cold room,COM1,Freezer,,,,A,T,lan,", "device  =Copy,COM2,Freezer,,,,A,T,lan,"});
    writeLines(path("last_refresh.txt"), {kLedgerHeader, "A,T,1,0,5,13,1,1,1,"});
    dlg.allow(Kind::Error);
    loadRegistry(state());
    ASSERT_TRUE(reportFileClash(state(), 1, 0));
    ASSERT_TRUE(ledgerPositionUnknown(state(), "A", 1));
    state().retry = {.reconnectPauseMs = 1, .maxFailedPasses = 1};

    state().reset(root());
    EXPECT_FALSE(reportFileClash(state(), 1, 0));
    EXPECT_FALSE(ledgerPositionUnknown(state(), "A", 1));
    EXPECT_EQ(state().retry.reconnectPauseMs, DownloadRetryPolicy{}.reconnectPauseMs);
    EXPECT_EQ(state().retry.maxFailedPasses, DownloadRetryPolicy{}.maxFailedPasses);
    EXPECT_EQ(state().Prog.RootDir, root());
}

}  // namespace
