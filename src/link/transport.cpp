#include "link/transport.h"

#include "platform/eventpump.h"

bool PumpingTransport::wait(const std::function<bool()>& cond, int ms)
{
    return waitUntil(cond, ms);
}

void PumpingTransport::pause(int ms)
{
    sleepPumping(ms);
}
