#include "link/ui/askedlink.h"

#include "app/programstate.h"
#include "link/devicelink.h"
#include "link/portfinder.h"
#include "platform/dialogs.h"

void openAskedFor(DeviceLink& link, const StopRequest& stop, const QString& linkText, Device_Rec& chosen)
{
    switch (PortFinder(link).OpenPort2(linkText, chosen)) {
        case LinkSwitch::Done:
            break;
        case LinkSwitch::NetworkFailed:
            if (!stop.requested()) dialogs().message(linktext::cannotConnect(linkText));
            break;
        case LinkSwitch::PortCannotOpen:
            dialogs().message(linktext::kPortCannotOpen);
            break;
    }
}
