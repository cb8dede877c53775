// The application controller: composes the program's eight windows on the program
// state and the device link it is given, and carries out the commands that cross
// windows (WindowCommands), so that no window reaches into another.
#pragma once

#include <memory>

#include <QObject>
#include <QStringList>

#include "app/windowcommands.h"

class DeviceLink;
class LinkObserver;
struct ProgramState;
class TForm1;
class TAboutBox;
class TForm_read;
class TForm_comment;
class TForm_Show;
class TForm_Comm;
class TForm_wait2;
class TForm_Message;

class AppController : public QObject, public WindowCommands
{
    Q_OBJECT
public:
    // Creates the windows, the main window first (its start-up work runs in its
    // constructor); args are the program's command-line arguments (without the
    // program name).
    AppController(ProgramState& state, DeviceLink& link, const QStringList& args);
    ~AppController() override;
    AppController(const AppController&) = delete;
    AppController& operator=(const AppController&) = delete;

    TForm1& mainWindow() const { return *m_main; }
    TAboutBox& aboutBox() const { return *m_about; }
    TForm_read& downloadDialog() const { return *m_read; }
    TForm_comment& headingDialog() const { return *m_heading; }
    TForm_Show& onlineWindow() const { return *m_online; }
    TForm_Comm& commWindow() const { return *m_comm; }
    TForm_wait2& progressWindow() const { return *m_progress; }
    TForm_Message& messageWindow() const { return *m_messages; }

    void downloadAll() override;
    void hourlyRefresh() override;
    bool openReportFile(const QString& path) override;
    void registryChanged() override;
    void showOnline() override;
    void showCommWindow(bool periodStart = false) override;
    void showDownloadDialog() override;
    void showProgressWindow() override;
    void showPortInProgress(const QString& port) override;
    void showAbout() override;
    std::optional<QStringList> askHeading() override;
    void showSupportMail() override;
    void showMessageLog() override;
    void showMessageLogIfAny() override;
    QStringList messageLogLines() const override;
    QString exchange(const QString& command, Device_Rec& device) override;
    void openDeviceAddress(const QString& address) override;
    void lockExpertCommands() override;

private:
    // Before the download dialog opens: unsaved edits of the device list are saved
    // or dropped as the user answers. False when the user goes back to the list (or
    // its save was refused).
    bool settleUnsavedDeviceList();

    ProgramState& m_state;
    DeviceLink& m_link;
    // The windows hold references to the controller, so they go before it does; the
    // message log, the last made, goes first.
    TForm1* m_main = nullptr;
    TAboutBox* m_about = nullptr;
    TForm_read* m_read = nullptr;
    TForm_comment* m_heading = nullptr;
    TForm_Show* m_online = nullptr;
    TForm_Comm* m_comm = nullptr;
    TForm_wait2* m_progress = nullptr;
    TForm_Message* m_messages = nullptr;
    // The link's reports to the communication and the progress window.
    std::unique_ptr<LinkObserver> m_observer;
};
