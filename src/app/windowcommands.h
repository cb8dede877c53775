// The commands that cross the program's windows, as a window sees them: the
// application controller carries them out, so that no window reaches into another.
#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

struct Device_Rec;

class WindowCommands
{
public:
    virtual ~WindowCommands() = default;

    // The download of every registered device (the progress window shows it).
    virtual void downloadAll() = 0;
    // The online window's hourly refresh: every device downloaded, then the window's
    // show work again.
    virtual void hourlyRefresh() = 0;
    // The main window shows a report file; false when it could not be opened.
    virtual bool openReportFile(const QString& path) = 0;
    // The registry file was rewritten: the main window reads it and the ledger again.
    virtual void registryChanged() = 0;
    // The online window, modal until closed.
    virtual void showOnline() = 0;
    // The communication window; at its traffic page with the period start's day
    // focused when periodStart is set.
    virtual void showCommWindow(bool periodStart = false) = 0;
    // The download dialog, once unsaved edits of the device list are settled.
    virtual void showDownloadDialog() = 0;
    // The progress window, modal.
    virtual void showProgressWindow() = 0;
    // The progress window names the port in use.
    virtual void showPortInProgress(const QString& port) = 0;
    virtual void showAbout() = 0;
    // The heading dialog; the heading lines when it was accepted.
    virtual std::optional<QStringList> askHeading() = 0;
    // The troubleshooting mail with the registry and the message log.
    virtual void showSupportMail() = 0;
    // The message log in front; only when it holds lines for showMessageLogIfAny.
    virtual void showMessageLog() = 0;
    virtual void showMessageLogIfAny() = 0;
    virtual QStringList messageLogLines() const = 0;
    // One exchange with a device as the windows make it: a reply that carries a device
    // message is shown.
    virtual QString exchange(const QString& command, Device_Rec& device) = 0;
    // Opens the link to a device's address (a serial port or a LAN address), asking
    // what to do when it cannot be opened.
    virtual void openDeviceAddress(const QString& address) = 0;
    // The device commands' expert access locked again (the settings page's erase).
    virtual void lockExpertCommands() = 0;
};
