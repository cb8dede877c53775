// The online window: the shown month of every named channel on one chart, the
// latest reading of each channel in the legend and in a table, and the poll cycle
// driven by its one-second timer.
#pragma once

#include <memory>

#include <QDialog>
#include <QSet>
#include <QStringList>

#include "app/records.h"
#include "online/onlinechart.h"
#include "online/pollcycle.h"

class QCustomPlot;
class QLabel;
class QCPAbstractPlottable;
class QPrinter;
class QPushButton;
class QTableWidget;
class QTimer;
class DeviceLink;
class WindowCommands;
struct ProgramState;

class TForm_Show : public QDialog
{
    Q_OBJECT
public:
    // commands: the exchange with a device, the message log and the hourly refresh.
    TForm_Show(ProgramState& state, DeviceLink& link, WindowCommands& commands, QWidget* parent = nullptr);
    ~TForm_Show() override;

    QCustomPlot* Chart2 = nullptr;
    QPushButton* Button1 = nullptr;  // "Close"
    QPushButton* Btn_print = nullptr;
    QPushButton* BTN_Back = nullptr;
    QPushButton* Btn_Next = nullptr;
    QTableWidget* SG_Readings = nullptr;  // every named channel's latest reading
    QLabel* Label_Paused = nullptr;       // shown while the poll is stopped by month stepping
    QTimer* Timer1 = nullptr;

    // The shown month (year and month used).
    _SYSTEMTIME ShowDate;
    // The name of the channel drawn by line n.
    QString SeriesName[201];

    // Shows the window modally (from the main window's online button).
    void ShowModalOnline();

    void FormCreate();
    void FormShow();
    void FormResize();
    void DrawALLChart(const _SYSTEMTIME& t1);
    void Timer1Timer();
    void SetOnLineTemp(const QString& reading, const QString& ID, int Index2, int SenNum);
    // Prints the chart on one page of printer, stretched to the page inside its margins.
    void printChart(QPrinter& printer);

    PollCycle& poll() { return *m_poll; }
    const OnlineChartContent& content() const { return m_content; }
    // The timer's state as the poll set it. With manual ticks (tests), enabling it
    // starts no real timer: the test calls Timer1Timer itself.
    bool timerEnabled() const { return m_timerEnabled; }
    // Month stepping stopped the poll: the readings are old until the window is shown again.
    bool monitoringPaused() const { return m_paused; }
    void setManualTicks(bool manual) { m_manualTicks = manual; }
    void setTimerEnabled(bool on);

public slots:
    void BTN_BackClick();
    void Btn_NextClick();
    void Btn_printClick();
    void Button1Click();
    void Chart2ClickSeries(QCPAbstractPlottable* series);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class Host;
    void FormClose();
    void stepMonth(int delta);
    void layOut();
    void showReading(int channel);
    void fillReadingsTable();
    void fillReadingRow(int row, const ChannelReading& c);
    void setPaused(bool paused);

    ProgramState& m_state;
    DeviceLink& m_link;
    WindowCommands& m_commands;
    std::unique_ptr<Host> m_host;
    std::unique_ptr<PollCycle> m_poll;
    OnlineChartContent m_content;
    bool m_timerEnabled = false;
    bool m_manualTicks = false;
    bool m_paused = false;
    QSet<QString> m_reported;  // files whose trouble was told since the window was shown
};
