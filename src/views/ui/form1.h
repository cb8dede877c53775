// The main window: the month chart and table of one report file, the device panel
// with a box per registered device, and the menu.
#pragma once

#include <QList>
#include <QMainWindow>
#include <QStringList>

class QCustomPlot;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTableWidget;
class QWidget;

class TForm1 : public QMainWindow
{
    Q_OBJECT
public:
    // Runs the start-up work (FormCreate). args: the command-line arguments.
    explicit TForm1(const QStringList& args, QWidget* parent = nullptr);
    ~TForm1() override;

    // Controls, named as the program names them (objectName too).
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabChart = nullptr;
    QWidget* TabTable = nullptr;
    QWidget* TabSheet1 = nullptr;
    QCustomPlot* Chart1 = nullptr;
    QTableWidget* SG_Table = nullptr;
    QPushButton* Btn_Back = nullptr;
    QPushButton* Btn_Next = nullptr;
    QPushButton* BtnShowOnline = nullptr;
    QPushButton* BtnBack_table = nullptr;
    QPushButton* Btn_NextTable = nullptr;
    QStatusBar* StatusBar1 = nullptr;

    // The device panel: boxes 1..8 at index 0..7.
    QGroupBox* GB_DeviceName[8] = {};
    QLineEdit* LE_D_S[8][4] = {};
    QLineEdit* LE_D_IP[8] = {};
    QPushButton* DeviceButton[8] = {};

    const QStringList& arguments() const { return m_args; }

    // Start-up work: shared state, root folder, registry, ledger, device panel.
    void FormCreate();
    // Reads the registry and ledger and fills the device panel.
    void LoadDeviceStatus();
    void fillDevicePanel();

    // The role code of a device panel control: device digit, then "0" for the box
    // and its button, "1".."4" for the channel fields, "6" for the address field.
    static QString roleCode(int box, int role);

signals:
    // A control of the device panel was clicked: box 1..8, role as in roleCode.
    void devicePanelClicked(int box, int role);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    QWidget* buildDevicePanel();

    QStringList m_args;
};
