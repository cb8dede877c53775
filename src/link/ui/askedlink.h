// The link a person asked for: the communication window's connection, the device
// chooser's pick and the main window's settings item. The person waits for it, so a
// network link that cannot be opened is told in a message; a stop request is no
// fault to tell. Unattended work uses the link's own calls and reports elsewhere.
#pragma once

#include <QString>

class DeviceLink;
class StopRequest;
struct Device_Rec;

// Opens the link a person chose for the chosen device: a network address or a serial
// port. A link that could not be opened is told unless stop was requested.
void openAskedFor(DeviceLink& link, const StopRequest& stop, const QString& linkText, Device_Rec& chosen);
