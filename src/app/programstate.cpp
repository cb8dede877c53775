#include "app/programstate.h"

#include "app/ledger.h"
#include "app/records.h"
#include "app/registry.h"
#include "app/rootdir.h"
#include "config/expertaccess.h"
#include "link/devicelink.h"
#include "platform/sharedfolder.h"

namespace {
ProgramState g_state;
}

ProgramState& programState()
{
    return g_state;
}

void resetProgramState()
{
    Prog = program_rec{};
    for (auto& d : DevList) d = Device_Rec{};
    DevLast = -1;
    SelDevice = Device_Rec{};
    YearChanged = 0;
    g_state.stop.clear();
    Prog.RootDir = computeRootDir();
    // A folder shared by a group (the installed /var/lib/termivo) gets files the group can write.
    shareNewFilesWithFolderGroup(Prog.RootDir);
    forgetRegistryNotes();
    forgetLedgerNotes();
    g_state.expert.reset();
    // The link as made afresh: the settings file's default waits and tries until a
    // registry load applies the file's own (linkSettingsFrom), its ports under the root.
    LinkSettings freshLink;
    freshLink.portsRoot = Prog.RootDir;
    deviceLink().reset();
    deviceLink().setSettings(freshLink);
}
