// The serial port control: one object with the operations of the program's serial
// control (CommPort, PortOpen, RTSEnable, Output, Input and a receive event) over
// QSerialPort at 9600 baud, 8 data bits, no parity, 1 stop bit.
//
// "COMn" names a device: a symbolic link dosdevices/comN under the root folder when
// there is one (a test or the device emulator links a pseudo-terminal there),
// otherwise the system's port whose kernel name gives n, so that a port keeps its
// number when links are added or other adapters are plugged in:
//   /dev/ttyS0..31 -> COM1..COM32, /dev/ttyUSB0..31 -> COM33..COM64,
//   /dev/ttyACM0..31 -> COM65..COM96, other ports COM97 upwards in natural order.
#pragma once

#include <functional>

#include <QList>
#include <QObject>
#include <QString>

class QSerialPort;

// One entry of the port list: the driver's device name (for example "USBSER000" for a
// CDC-ACM port, "VCP0" for a USB-serial converter) and the port name ("COM3"), plus the
// device path that the port name stands for.
struct SerialPortEntry
{
    QString deviceName;
    QString portName;
    QString location;
};

constexpr int kComBlockSize = 32;
constexpr int kFirstComOfTtyS = 1;
constexpr int kFirstComOfTtyUSB = kFirstComOfTtyS + kComBlockSize;
constexpr int kFirstComOfTtyACM = kFirstComOfTtyUSB + kComBlockSize;
constexpr int kFirstComOfOthers = kFirstComOfTtyACM + kComBlockSize;
constexpr int kMaxComNumber = 255;

// The COM number a system port always has (ttyS, ttyUSB, ttyACM below 32), or 0.
int stableComNumber(const QString& location);

// The port list under rootDir (ending in "/"): the dosdevices/comN links by number,
// then the system's ports in the order the system lists them (CDC-ACM ports, USB-serial
// converters, the rest), each with its stable COM number; a link hides the system
// port of the same number.
QList<SerialPortEntry> serialPortList(const QString& rootDir);
// The device path of COMn, or an empty text when there is no such port.
QString serialPortLocation(int n, const QString& rootDir);

// Tests replace the system's part of the list (the links under the root folder are
// still read); an empty function restores the real enumeration.
using SystemPortLister = std::function<QList<SerialPortEntry>()>;
void setSystemPortListerForTests(SystemPortLister lister);

class SerialPortControl : public QObject
{
    Q_OBJECT
public:
    explicit SerialPortControl(QObject* parent = nullptr);
    ~SerialPortControl() override;

    // The folder whose dosdevices/ links name the ports (ending in "/").
    void setRootDir(const QString& rootDir) { m_rootDir = rootDir; }

    int CommPort() const { return m_commPort; }
    // Throws TermivoError for a number below 1 or above 255, or while the port is open.
    void setCommPort(int n);

    bool PortOpen() const;
    // Opening throws TermivoError when the port does not exist or another program holds
    // it; closing a closed port does nothing.
    void setPortOpen(bool open);

    bool RTSEnable() const { return m_rtsEnable; }
    // Raises or lowers RTS when the port is open (a pseudo-terminal has no RTS line: that
    // is not an error).
    void setRTSEnable(bool on);

    // Writes the characters in order (characters outside ASCII travel as "?"). Throws
    // TermivoError when the port is not open.
    void setOutput(const QString& text);
    // All characters received and not yet read; the receive buffer is then empty.
    QString Input();
    // Characters waiting to be read.
    qint64 InBufferCount() const;

    // The device path of the open port (empty when closed).
    QString devicePath() const { return m_path; }
    // Whether COMn now names another device than the open one: its dosdevices/ link
    // was removed, added or pointed elsewhere since the opening (a re-plugged adapter,
    // a pseudo-terminal made anew). False while the port is closed.
    bool namesAnotherDevice() const;

signals:
    // Raised on the user-interface thread as soon as characters have arrived.
    void OnComm();
    // The port went away (an adapter unplugged, a line hung up): it has been closed,
    // and the next opening finds the port again. why is the system's reason.
    void portLost(const QString& why);

private:
    QSerialPort* m_port;
    QString m_rootDir;
    QString m_path;
    QString m_device;  // what m_path led to at the opening
    bool m_openedByLink = false;
    int m_commPort = 1;
    bool m_rtsEnable = false;
};
