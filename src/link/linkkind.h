// The rules that tell what kind of link a device's link text names. A device's link
// text (Device_Rec::IP) is a serial port text such as "COM3" or an IPv4 address. The
// program tells them apart by different rules in different places, on purpose: each
// place keeps its own rule, and this header is where they are all written down.
#pragma once

#include <QString>

// The exchange and the link switch: a text of 6 characters or fewer is a serial port
// text, anything longer a network address ("COM255" is 6 characters, the shortest
// IPv4 address "1.2.3.4" is 7).
bool isSerialLinkText(const QString& link);
bool isNetworkLinkText(const QString& link);

// The port openings: the text contains the letters "COM" in any case ("com4", "COM",
// "xCOMy"). Only such a text opens a port; its digits give the port number.
bool namesComPort(const QString& link);

// The download run and the online poll: the text contains a dot, which every IPv4
// address does. Only such a device is connected over the network before it is read.
bool hasDottedAddress(const QString& link);
