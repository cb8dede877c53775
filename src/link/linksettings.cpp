#include "link/linksettings.h"

#include "app/records.h"

LinkSettings linkSettingsFrom(const program_rec& prog, LinkSettings base)
{
    base.portsRoot = prog.RootDir;
    base.replyWaitMs = prog.TimeOut2;
    base.connectWaitMs = prog.TimeOut3;
    base.tries = prog.tryCnt;
    return base;
}
