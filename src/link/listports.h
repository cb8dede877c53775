// The serial ports by their COM names, without a window:
//   termivo --list-ports [--root DIR]
// prints one line per port: the COM name, the device it opens and the driver's
// device name, in the order of the port list.
#pragma once

#include <QList>
#include <QStringList>
#include <QTextStream>

#include "platform/serialport.h"

// The mode's "--help" text.
QString listPortsHelp();
bool isListPortsCommand(const QStringList& args);
// args without the program name. Returns 0 when ports were listed, 1 when there is
// none, 2 for a bad command line.
int runListPorts(const QStringList& args, QTextStream& out, QTextStream& err);

// The lines printed for a port list.
QStringList portListLines(const QList<SerialPortEntry>& ports);
