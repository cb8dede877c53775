#include "platform/shell.h"

namespace {
// The desktop shell in use, installed by the windowed program and by tests; none: one that opens nothing.
Shell* g_shell = nullptr;  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables): injected service
}  // namespace

Shell& shell()
{
    static NoShell none;
    return g_shell ? *g_shell : none;
}

void setShell(Shell* s)
{
    g_shell = s;
}
