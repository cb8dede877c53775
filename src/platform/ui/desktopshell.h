// The desktop implementation of the shell layer: QDesktopServices opens addresses,
// documents and folders; the "mailto" handler is asked of xdg-mime.
#pragma once

#include "platform/shell.h"

class DesktopShell : public Shell
{
public:
    bool open(const QString& target) override;
    bool hasHandler(const QString& scheme) override;
};
