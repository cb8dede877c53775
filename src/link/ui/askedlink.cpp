#include "link/ui/askedlink.h"

#include "app/programstate.h"
#include "link/devicelink.h"
#include "platform/dialogs.h"

void openAskedFor(DeviceLink& link, const StopRequest& stop, const QString& linkText)
{
    if (!link.OpenPort2(linkText) && !stop.requested()) dialogs().message(linktext::cannotConnect(linkText));
}
