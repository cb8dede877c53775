#include "link/transport.h"

#include "platform/eventpump.h"

bool PumpingTransport::wait(const std::function<bool()>& cond, int ms)
{
    waitUntil([&] { return cond() || stopping(); }, ms);
    return cond();
}

void PumpingTransport::pause(int ms)
{
    waitUntil([this] { return stopping(); }, ms);
}
