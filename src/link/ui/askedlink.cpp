#include "link/ui/askedlink.h"

#include "app/programstate.h"
#include "app/records.h"
#include "link/devicelink.h"
#include "link/portfinder.h"
#include "platform/dialogs.h"

namespace {
void tellCannotConnect(const QString& address)
{
    if (!programState().stop.requested()) dialogs().message(linktext::cannotConnect(address));
}
}  // namespace

bool connectAskedFor(DeviceLink& link, const QString& address)
{
    if (link.connectLan(address)) return true;
    tellCannotConnect(address);
    return false;
}

void openAskedFor(DeviceLink& link, const QString& linkText, Device_Rec& chosen)
{
    if (!PortFinder(link).OpenPort2(linkText, chosen)) tellCannotConnect(linkText);
}
