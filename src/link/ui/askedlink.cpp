#include "link/ui/askedlink.h"

#include "app/programstate.h"
#include "link/devicelink.h"
#include "link/portfinder.h"
#include "platform/dialogs.h"

void openAskedFor(DeviceLink& link, const StopRequest& stop, const QString& linkText, Device_Rec& chosen)
{
    if (!PortFinder(link).OpenPort2(linkText, chosen) && !stop.requested())
        dialogs().message(linktext::cannotConnect(linkText));
}
