// The link a person asked for: the communication window's connection, the device
// chooser's pick and the main window's settings item. The person waits for it, so a
// network link that cannot be opened is told in a message; a stop request is no
// fault to tell. Unattended work uses the link's own calls and reports elsewhere.
#pragma once

#include <QString>

class DeviceLink;
struct Device_Rec;

// Opens a network link to address.
bool connectAskedFor(DeviceLink& link, const QString& address);
// Opens the link a person chose for the chosen device: a network address or a serial port.
void openAskedFor(DeviceLink& link, const QString& linkText, Device_Rec& chosen);
