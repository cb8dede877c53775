#include "platform/shell.h"

namespace {
NoShell g_none;
Shell* g_shell = &g_none;
}  // namespace

Shell& shell()
{
    return *g_shell;
}

void setShell(Shell* s)
{
    g_shell = s ? s : &g_none;
}
