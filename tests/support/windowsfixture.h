// The program's windows on a temporary root folder: the application controller made
// on the fixture's program state and device link, and its windows.
#pragma once

#include <memory>

#include <QStringList>
#include <QTimer>

#include "app/ui/controller.h"
#include "support/fixtures.h"

class WindowsFixture : public RootFixture
{
protected:
    void TearDown() override
    {
        closeWindows();
        RootFixture::TearDown();
    }

    // Makes the windows afresh (the main window's start-up work runs); args are the
    // program's command-line arguments.
    void openWindows(const QStringList& args = {})
    {
        closeWindows();
        m_windows = std::make_unique<AppController>(state(), link(), args);
    }
    void closeWindows() { m_windows.reset(); }

    AppController& windows() { return *m_windows; }
    // While alive, the online window (modal once a run of the main window has opened it)
    // is closed by its "Close" button as soon as it shows; shown() tells whether it did.
    class OnlineWindowCloser
    {
    public:
        explicit OnlineWindowCloser(WindowsFixture& f);
        bool shown() const { return m_shown; }

    private:
        QTimer m_timer;
        bool m_shown = false;
    };
    // The windows, null while none are open.
    TForm1* mainWindow() const { return m_windows ? &m_windows->mainWindow() : nullptr; }
    TAboutBox* aboutBox() const { return m_windows ? &m_windows->aboutBox() : nullptr; }
    TForm_read* downloadDialog() const { return m_windows ? &m_windows->downloadDialog() : nullptr; }
    TForm_comment* headingDialog() const { return m_windows ? &m_windows->headingDialog() : nullptr; }
    TForm_Show* onlineWindow() const { return m_windows ? &m_windows->onlineWindow() : nullptr; }
    TForm_Comm* commWindow() const { return m_windows ? &m_windows->commWindow() : nullptr; }
    TForm_wait2* progressWindow() const { return m_windows ? &m_windows->progressWindow() : nullptr; }
    TForm_Message* messageWindow() const { return m_windows ? &m_windows->messageWindow() : nullptr; }

private:
    std::unique_ptr<AppController> m_windows;
};
