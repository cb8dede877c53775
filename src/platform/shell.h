// The desktop's "open" requests: a web address, a document, a folder or a mail
// message ("mailto:"), handed to whatever program the desktop has for it. The windows
// install the desktop implementation; tests install RecordingShell.
#pragma once

#include <QString>
#include <QStringList>

class Shell
{
public:
    virtual ~Shell() = default;
    // Asks the desktop to open target (an address with a scheme, or a local path);
    // false when it could not be handed over.
    virtual bool open(const QString& target) = 0;
    // Whether the desktop has a program for addresses of scheme ("mailto").
    virtual bool hasHandler(const QString& scheme) = 0;
};

Shell& shell();
// Installs s (not owned); nullptr restores the one that opens nothing.
void setShell(Shell* s);

// Opens nothing and knows no handler: runs without windows.
class NoShell : public Shell
{
public:
    bool open(const QString&) override { return false; }
    bool hasHandler(const QString&) override { return false; }
};

// For tests: records every request; handlers as declared; opens (answers true)
// unless told that the desktop has no launcher.
class RecordingShell : public Shell
{
public:
    QStringList opened;
    QStringList handlers;
    bool launches = true;
    bool open(const QString& target) override
    {
        opened << target;
        return launches;
    }
    bool hasHandler(const QString& scheme) override { return handlers.contains(scheme); }
};
