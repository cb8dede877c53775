// What the windows show of the device link's work. The link reports through this
// interface only; the windows implement it (src/link/ui/), runs without windows use
// the console one, which prints plain lines.
#pragma once

#include <QString>
#include <QStringList>

enum class WaitLabel { Port, Status, Cnt };  // Label_port, Label_Status, Label_Cnt
enum class WaitBar { Day, All };             // ProgressBar1, ProgressBarAll

// Line limits of the panes: Memo_Send and Memo_Rx are emptied when a change leaves
// them with more lines than this; Memo_report likewise with its own limit.
constexpr int kTrafficPaneLineLimit = 10000;
constexpr int kReportPaneLineLimit = 1000;
// Every pane (Memo_Json too) is also emptied when it holds more characters than this,
// so that a flood of long replies or search answers does not fill the memory.
constexpr int kPaneCharacterLimit = 1 << 20;

// Every report has an empty default, so an observer overrides only what it shows.
class LinkObserver
{
public:
    virtual ~LinkObserver() = default;

    // Communication window.
    virtual void sendLine(const QString& /*frame*/) {}    // Memo_Send
    virtual void rxLine(const QString& /*reply*/) {}      // Memo_Rx
    virtual void jsonLine(const QString& /*line*/) {}     // Memo_Json
    virtual void clearJson() {}                           // Memo_Json emptied
    virtual void showReplies() {}                         // settings pages and replies page shown
    virtual void ussdLine(const QString& /*answer*/) {}   // Memo1, the operator's answers
    virtual void statusText(const QString& /*text*/) {}   // StatusBar1
    virtual void captionText(const QString& /*text*/) {}  // the communication window's caption
    virtual void busyCursor(bool /*on*/) {}
    // A message for the person who asked for the work: no device chosen, a device's
    // "Message" reply, what the settings page's conversation met. The communication
    // window shows it in a message box; runs without windows print it on standard error.
    virtual void message(const QString& /*text*/) {}

    // Progress window.
    virtual void waitLabel(WaitLabel /*which*/, const QString& /*text*/) {}
    virtual void waitBarRange(WaitBar /*which*/, int /*min*/, int /*max*/) {}
    virtual void waitBarPosition(WaitBar /*which*/, int /*pos*/) {}
    virtual void reportLine(const QString& /*line*/) {}  // Memo_report
    virtual void startRun() {}                           // a new run: Memo_report emptied
    virtual void showWait(bool /*shown*/) {}
    // A run over several devices: done of total devices ended, reading are the devices
    // being read now (their names).
    virtual void fleetProgress(int /*done*/, int /*total*/, const QStringList& /*reading*/) {}
};

// Plain lines on standard output for runs without windows. Traffic lines (frames and
// replies) only when verbose; messages on standard error.
class ConsoleLinkObserver : public LinkObserver
{
public:
    explicit ConsoleLinkObserver(bool verbose = false) : m_verbose(verbose) {}
    void setVerbose(bool on) { m_verbose = on; }

    void sendLine(const QString& frame) override;
    void rxLine(const QString& reply) override;
    void jsonLine(const QString& line) override;
    void ussdLine(const QString& answer) override;
    void captionText(const QString& text) override;
    void message(const QString& text) override;
    void waitLabel(WaitLabel which, const QString& text) override;
    void reportLine(const QString& line) override;

private:
    bool m_verbose;
    QString m_lastLabel[3];
};
