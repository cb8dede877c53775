#include "app/ui/controller.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>

#include "app/programstate.h"
#include "config/devicelist.h"
#include "config/ui/devicenamespage.h"
#include "config/ui/maintenancepages.h"
#include "config/ui/periodstartbox.h"
#include "config/ui/settingspage.h"
#include "download/download.h"
#include "download/ui/form_read.h"
#include "link/devicelink.h"
#include "link/linkobserver.h"
#include "link/ui/askedlink.h"
#include "link/ui/devicechooser.h"
#include "link/ui/form_comm.h"
#include "link/ui/form_wait2.h"
#include "online/ui/form_show.h"
#include "platform/dialogs.h"
#include "platform/eventpump.h"
#include "platform/guardedconnect.h"
#include "views/ui/aboutbox.h"
#include "views/ui/form1.h"
#include "views/ui/form_comment.h"
#include "views/ui/form_message.h"

namespace {

const QString kUnsavedDeviceListQuestion =
    QStringLiteral("تغییرات فهرست دستگاه ها ذخیره نشده است.\rآیا میخواهید پیش از داده برداری آنها را ذخیره کنید؟");
const QString kSaveDeviceList = QStringLiteral("ذخیره تغییرات");
const QString kDropDeviceListEdits = QStringLiteral("نادیده گرفتن تغییرات");
const QString kBackToDeviceList = QStringLiteral("بازگشت به فهرست دستگاه ها");

// The link reports to two windows: the communication window (traffic, replies,
// status) and the progress window (labels, bars, report list).
class TwoWindowsObserver : public LinkObserver
{
public:
    TwoWindowsObserver(LinkObserver& comm, LinkObserver& progress) : m_comm(comm), m_progress(progress) {}
    void sendLine(const QString& frame) override { m_comm.sendLine(frame), m_progress.sendLine(frame); }
    void rxLine(const QString& reply) override { m_comm.rxLine(reply), m_progress.rxLine(reply); }
    void jsonLine(const QString& line) override { m_comm.jsonLine(line), m_progress.jsonLine(line); }
    void clearJson() override { m_comm.clearJson(), m_progress.clearJson(); }
    void showReplies() override { m_comm.showReplies(), m_progress.showReplies(); }
    void ussdLine(const QString& answer) override { m_comm.ussdLine(answer), m_progress.ussdLine(answer); }
    void statusText(const QString& text) override { m_comm.statusText(text), m_progress.statusText(text); }
    void captionText(const QString& text) override { m_comm.captionText(text), m_progress.captionText(text); }
    void busyCursor(bool on) override { m_comm.busyCursor(on), m_progress.busyCursor(on); }
    void message(const QString& text) override { m_comm.message(text), m_progress.message(text); }
    void waitLabel(WaitLabel which, const QString& text) override
    {
        m_comm.waitLabel(which, text), m_progress.waitLabel(which, text);
    }
    void waitBarRange(WaitBar which, int min, int max) override
    {
        m_comm.waitBarRange(which, min, max), m_progress.waitBarRange(which, min, max);
    }
    void waitBarPosition(WaitBar which, int pos) override
    {
        m_comm.waitBarPosition(which, pos), m_progress.waitBarPosition(which, pos);
    }
    void reportLine(const QString& line) override { m_comm.reportLine(line), m_progress.reportLine(line); }
    void startRun() override { m_comm.startRun(), m_progress.startRun(); }
    void showWait(bool shown) override { m_comm.showWait(shown), m_progress.showWait(shown); }

private:
    LinkObserver& m_comm;
    LinkObserver& m_progress;
};

// Makes the communication window's pages that belong to the device settings (the
// period start box, the device list, the settings page with its inner pages, the
// device commands, the operator's panel, the replies page and the device chooser),
// joins them to each other and hands them to the window.
void composeCommPages(TForm_Comm& comm, ProgramState& state, DeviceLink& link, WindowCommands& commands)
{
    comm.GroupBoxPeriod = new PeriodStartBox(state, comm.TabSendResive);

    DeviceNamesPage* names = new DeviceNamesPage(state, link, commands, comm.PageControl1);
    comm.TabSheet1 = names;

    // The settings page holds the parameter sheet's inner pages; the device commands,
    // the operator's panel and the replies page join them.
    TSettingsPage* settings = new TSettingsPage(state, link, comm.PageControl1);
    comm.TabSheet_Net = settings;
    RepliesPage* replies = new RepliesPage(state, link, comm.deviceSearch(), settings->PageControl2);
    comm.TabSheet8 = replies;
    DeviceCommandsPanel* commandsPanel = new DeviceCommandsPanel(state, link, replies, settings->TabSheet3);
    comm.GroupBoxDeviceCommands = commandsPanel;
    commandsPanel->useClockField(settings->LE_BaseParam_TimeDate);
    settings->addPanel(settings->TabSheet3, commandsPanel);
    OperatorPanel* operatorPanel = new OperatorPanel(state, link, replies, comm.ussdPoll(), settings->TabSheet7);
    comm.PanelOperator = operatorPanel;
    settings->addPanel(settings->TabSheet7, operatorPanel);
    settings->insertRepliesPage(replies, QStringLiteral("پاسخ ها"));

    DeviceChooser* chooser = new DeviceChooser(
        state, link,
        {[names] { return names->rows(); }, [names](int gridRow, const DeviceRow& row) { names->setRow(gridRow, row); },
         [names](const DeviceRow& row) { names->appendRow(row); }},
        settings);
    comm.PanelChooser = chooser;
    settings->chooserRow()->addWidget(chooser);
    TForm_Comm* window = &comm;
    chooser->setSheetHooks({[settings] { settings->clearSheet(); },
                            guardedHandler([settings] { settings->BtnReadAllDataClick(); }),
                            [settings](bool shown) { settings->BtnSendSettingJson->setVisible(shown); },
                            [&state, window] {
                                state.expert.reset();
                                window->setExpertAccess(false);
                            }});
    state.expert.onGranted(window, [window] { window->setExpertAccess(true); });

    CommPages pages;
    pages.periodStart = comm.GroupBoxPeriod;
    pages.deviceNames = names;
    pages.settings = settings;
    pages.settingsCaption = TSettingsPage::caption();
    pages.settingsPages = settings->PageControl2;
    pages.deviceSettings = settings->TabSheet3;
    pages.phoneSettings = settings->TabSheet7;
    pages.replies = replies;
    pages.replyPane = replies->Memo_Json;
    pages.searchButton = replies->Button2;
    pages.operatorAnswers = operatorPanel->Memo1;
    pages.shown = [names] { names->FormShow(); };
    pages.expertAccess = [commandsPanel](bool granted) { commandsPanel->setExpertAccess(granted); };
    comm.setPages(std::move(pages));
}

}  // namespace

AppController::AppController(ProgramState& state, DeviceLink& link, const QStringList& args)
    : m_state(state), m_link(link)
{
    // The main window's start-up work runs in its constructor, before the others exist.
    m_main = new TForm1(state, link, *this, args);
    m_about = new TAboutBox(m_state, *this);
    m_read = new TForm_read(state, link, *this);
    m_heading = new TForm_comment(state);
    m_online = new TForm_Show(state, link, *this);
    m_comm = new TForm_Comm(state, link);
    composeCommPages(*m_comm, state, link, *this);
    m_progress = new TForm_wait2(state, m_main);
    m_messages = new TForm_Message;
    m_observer = std::make_unique<TwoWindowsObserver>(m_comm->linkObserver(), *m_progress);
    m_link.setObserver(m_observer.get());
    m_state.messageLog = m_messages;
}

AppController::~AppController()
{
    m_state.messageLog = nullptr;
    m_link.setObserver(nullptr);
    delete m_messages;
    delete m_progress;
    delete m_comm;
    delete m_online;
    delete m_heading;
    delete m_read;
    delete m_about;
    delete m_main;
}

void AppController::downloadAll()
{
    runAllDevicesDownload(m_state, m_link);
}

void AppController::hourlyRefresh()
{
    runAllDevicesDownload(m_state, m_link, DownloadRun::Hourly);
    m_online->FormShow();
}

bool AppController::openReportFile(const QString& path)
{
    return m_main->OpenMyFile(path);
}

void AppController::registryChanged()
{
    // The main window's start-up and show steps read the registry and the ledger
    // again and rebuild its device panel.
    m_main->FormCreate();
    m_main->FormShow();
}

void AppController::showOnline()
{
    m_online->ShowModalOnline();
}

void AppController::showCommWindow(bool periodStart)
{
    m_comm->show();
    if (!periodStart) return;
    processPendingEvents();
    m_comm->PageControl1->setCurrentWidget(m_comm->TabSendResive);
    processPendingEvents();
    sleepPumping(100);
    processPendingEvents();
    if (auto* day = m_comm->findChild<QWidget*>(QStringLiteral("CB_Day"))) day->setFocus();
}

bool AppController::settleUnsavedDeviceList()
{
    DeviceNamesPage* list = m_comm->TabSheet1;
    if (!list->hasUnsavedEdits()) return true;
    const int choice = dialogs().choose(m_read->windowTitle(), kUnsavedDeviceListQuestion,
                                        {kSaveDeviceList, kDropDeviceListEdits, kBackToDeviceList});
    if (choice == 0) list->BtnSaveSoftClick();  // a refused save says why and keeps the edits
    if (choice == 1) list->FormShow();          // dropped: the list shows the registry again
    if (choice == 1 || !list->hasUnsavedEdits()) return true;
    m_comm->show();
    m_comm->PageControl1->setCurrentWidget(list);
    return false;
}

void AppController::showDownloadDialog()
{
    if (!settleUnsavedDeviceList()) return;
    m_read->exec();
}

void AppController::showProgressWindow()
{
    m_progress->exec();
}

void AppController::showPortInProgress(const QString& port)
{
    m_progress->waitLabel(WaitLabel::Port, port);
}

void AppController::showAbout()
{
    m_about->exec();
}

std::optional<QStringList> AppController::askHeading()
{
    if (m_heading->exec() != QDialog::Accepted) return std::nullopt;
    return m_heading->memoLines();
}

void AppController::showSupportMail()
{
    m_about->Label_mailClick();
}

void AppController::showMessageLog()
{
    m_messages->showInFront();
}

void AppController::showMessageLogIfAny()
{
    if (m_messages->hasLines()) m_messages->showInFront();
}

QStringList AppController::messageLogLines() const
{
    return m_messages->lines();
}

QString AppController::exchange(const QString& command, Device_Rec& device)
{
    return m_main->Send2XKQ(command, device);
}

void AppController::openDeviceAddress(const QString& address)
{
    openAskedFor(m_link, m_state.stop, address, m_state.SelDevice);
}

void AppController::lockExpertCommands()
{
    m_comm->setExpertAccess(false);
}
