// The main window: the month chart and table of one report file, the device panel
// with a box per registered device, and the menu.
#pragma once

#include <memory>

#include <QMainWindow>
#include <QStringList>

#include "app/records.h"
#include "views/compliance.h"
#include "views/month.h"

class CompliancePanel;
class QAction;
class QActionGroup;
class QCustomPlot;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTableWidget;
class QWidget;
class DeviceLink;
class WindowCommands;
struct ProgramState;

// The open-file dialog of report files: its filter and the file name last chosen.
struct FileDialogState
{
    QString Filter;
    QString FileName;
};

class TForm1 : public QMainWindow
{
    Q_OBJECT
public:
    // Runs the start-up work (FormCreate). args: the command-line arguments; commands
    // reach the other windows.
    TForm1(ProgramState& state, DeviceLink& link, WindowCommands& commands, const QStringList& args,
           QWidget* parent = nullptr);
    ~TForm1() override;

    // Controls, named as the program names them (objectName too).
    QWidget* Panel = nullptr;  // the client area holding the page control
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabChart = nullptr;
    QWidget* TabTable = nullptr;
    QWidget* TabSheet1 = nullptr;
    CompliancePanel* TabCompliance = nullptr;  // the month's compliance figures and excursions
    QCustomPlot* Chart1 = nullptr;
    QTableWidget* SG_Table = nullptr;
    QPushButton* Btn_Back = nullptr;
    QPushButton* Btn_Next = nullptr;
    QPushButton* BtnShowOnline = nullptr;
    QPushButton* BtnBack_table = nullptr;
    QPushButton* Btn_NextTable = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* RootFolderLabel = nullptr;  // the root folder in use, on the status bar
    FileDialogState OpenDialogChart;

    // The device panel: boxes 1..8 at index 0..7.
    QGroupBox* GB_DeviceName[8] = {};
    QLineEdit* LE_D_S[8][4] = {};
    QLineEdit* LE_D_IP[8] = {};
    QPushButton* DeviceButton[8] = {};

    // The menu.
    QMenu* File1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* SaveasBitmap1 = nullptr;
    QAction* SaveAsTextFile1 = nullptr;
    QAction* Print1 = nullptr;
    QAction* VerifyFiles1 = nullptr;  // the report files checked against the audit journal
    QAction* Exit1 = nullptr;
    QMenu* Read1 = nullptr;
    QAction* AllData1 = nullptr;
    QAction* ExtendedConfig1 = nullptr;
    QAction* Showreadingreport1 = nullptr;
    QAction* N6 = nullptr;
    QMenu* Option1 = nullptr;
    QAction* LastMonth1 = nullptr;
    QAction* NextMonth1 = nullptr;
    QAction* BackSen = nullptr;
    QAction* NextSen = nullptr;
    QMenu* Period1 = nullptr;
    QActionGroup* PeriodGroup = nullptr;
    QAction* Avrage1hour1 = nullptr;
    QAction* Avrage3Hour1 = nullptr;
    QAction* Avrage6Hour1 = nullptr;
    QAction* Avrage12Hour1 = nullptr;
    QAction* Avrage1day = nullptr;
    QAction* ShowMinMax1 = nullptr;
    QAction* ShowMeanSD1 = nullptr;
    QMenu* Insert1 = nullptr;
    QAction* EditComment1 = nullptr;
    QAction* backimage1 = nullptr;
    QAction* AddComment1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* About1 = nullptr;
    QAction* site1 = nullptr;
    QAction* pdfHelp = nullptr;
    QAction* openfolder1 = nullptr;
    QAction* mailto1 = nullptr;

    const QStringList& arguments() const { return m_args; }

    // The report file on show: its name, year, months, limits and the period.
    Chart_rec CurChart;
    // Where F4 and F5 stand among the registered sensors.
    int NavDevice = 0;
    int NavSensor = -1;

    // Start-up work: shared state, root folder, registry, ledger, device panel.
    void FormCreate();
    // Reads the registry and ledger and fills the device panel.
    void LoadDeviceStatus();
    void fillDevicePanel();
    // Show work: runs when the window is first shown (and after the device list is saved).
    void FormShow();
    void FormResize();

    // Opens and draws a report file; false when it could not be opened (the error was shown).
    bool OpenMyFile(const QString& str1);
    // Files dropped on the window.
    void AcceptFiles(const QStringList& paths);
    void MySetting1Call(int i);
    QString Send2XKQ(const QString& str1, Device_Rec& Device1);
    // Draws month CurChart.Curr_Mon of the loaded file into Chart1 and SG_Table.
    void redraw();
    // Builds month of the shown year with the period CurChart.Avr_Hour and the check
    // marks of ShowMinMax1 and ShowMeanSD1 into the month view: the sensor and daily
    // series, the foot, the table and the period averages (the limit lines stay, but
    // for a file whose limits the journal tells changed: they are the month's own; the
    // title, captions and background stay). Draws nothing on screen: redraw() does.
    void DrawMonth(int month);
    // Resets the month view: the table sized for 3-hour periods and 30 days, the chart
    // as before any file is opened (the background picture stays).
    void InitViewState();

    // The report year shown; null before a file is opened.
    std::shared_ptr<const ReportYear> shownYear() const { return m_year; }
    // The month view as last built (what Chart1 and SG_Table show).
    const MonthView& monthView() const { return m_view; }
    // The compliance figures of the month on show (TabCompliance; the bands of Chart1).
    const MonthCompliance& monthCompliance() const { return m_compliance; }
    // Brings the table to the front with day 1..31 of the month at its top.
    void showTableDay(int day);

    // The role code of a device panel control: device digit, then "0" for the box
    // and its button, "1".."4" for the channel fields, "6" for the address field.
    static QString roleCode(int box, int role);

public slots:
    void GB_DeviceName1Click(int box, int role);
    void Open1Click();
    void BtnShowOnlineClick();
    void AllData1Click();
    void ExtendedConfig1Click();
    void Showreadingreport1Click();
    void N6Click();
    void Exit1Click();
    void Btn_BackClick();
    void Btn_NextClick();
    void LastMonth1Click();
    void NextMonth1Click();
    void BackSenClick();
    void NextSenClick();
    void Avrage1hour1Click(QAction* sender);
    void ShowMinMax1Click();
    void ShowMeanSD1Click();
    // Annotations, export and print, help (form1_extras.cpp).
    void EditComment1Click();
    void backimage1Click();
    void AddComment1Click();
    void SaveAsTextFile1Click();
    void SaveasBitmap1Click();
    void Print1Click();
    void PrintCurrentPage();
    void About1Click();
    void site1Click();
    void pdfHelpClick();
    void openfolder1Click();
    void mailto1Click();
    // The check of the root folder's report files against the audit journal
    // (form1_verify.cpp): an information box when all match, else the findings' window.
    void VerifyFiles1Click();

signals:
    // A control of the device panel was clicked: box 1..8, role as in roleCode.
    void devicePanelClicked(int box, int role);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildWindow();
    void buildCompliancePage();
    // The figures of month of the shown year, judged against limits, into m_compliance
    // and the chart's bands.
    void computeCompliance(int month, const MonthLimits& limits);
    // The limits of the hours of month of the shown year: from the journal's history of
    // its file, placed by the year its day lines name, else its header's.
    MonthLimits shownMonthLimits(int month) const;
    void buildMenu();
    // After a report file has opened: one warning naming the days whose lines differ
    // from what the audit journal says the file holds.
    void warnOfUnjournalledDays(const QString& path, const QStringList& lines);
    void bindExtrasMenu();
    QWidget* buildDevicePanel();
    void renderMonth();
    void loadBackgroundPicture();
    void openFirstDevicePort();
    int checkedPeriod() const;
    // Puts a loaded year on show: the record CurChart, the limit lines, the month.
    void showYear(std::shared_ptr<const ReportYear> year);
    // The chart's title from heading lines: while a report file is on show, its
    // "Sensor Name" line follows them, so that a print or picture names the sensor.
    QStringList titleOf(const QStringList& heading) const;

    ProgramState& m_state;
    DeviceLink& m_link;
    WindowCommands& m_commands;
    QStringList m_args;
    std::shared_ptr<const ReportYear> m_year;
    MonthView m_view;
    MonthCompliance m_compliance;
    bool m_shownOnce = false;
    QDialog* m_verifyWindow = nullptr;  // the findings of the last check, made on first use
};
