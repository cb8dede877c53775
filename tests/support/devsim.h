// The device emulator termivo-devsim as a real process for tests: write a fleet file,
// start the emulator on a root folder, wait until it listens, read the requests it
// received, stop it.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

class DeviceLink;
struct ProgramState;

class DevSim
{
public:
    DevSim();
    ~DevSim();
    DevSim(const DevSim&) = delete;
    DevSim& operator=(const DevSim&) = delete;

    // A loopback address for LAN device n (1..) that no other test process uses.
    static QString lanAddress(int n);
    // The ID of device n (1..51) of a full fleet: letters, digits, then signs, so that
    // no two differ only in letter case (their report files would be one file).
    static QString fleetId(int n);
    // The loopback broadcast address the search of tests goes to.
    static QString searchAddress() { return QStringLiteral("127.255.255.255"); }
    // The emulator program.
    static QString program();

    // Writes fleetText as root + "devsim.fleet" and starts the emulator on root (which
    // ends in "/"); extraArgs are added to the command line. Returns false (with the
    // emulator's output in output()) when it did not become ready within 10 s.
    bool start(const QString& fleetText, const QString& root, const QStringList& extraArgs = {});
    void stop();
    bool running() const { return m_proc.state() == QProcess::Running; }

    // Everything the emulator printed so far.
    QString output();
    // The frames the emulator received so far ("REQ id frame" lines, frame only),
    // optionally only those containing a text.
    QStringList requests(const QString& containing = QString());
    // Waits until at least n requests (containing the text) have arrived.
    bool waitForRequests(int n, int ms, const QString& containing = QString());

private:
    QProcess m_proc;
    QString m_output;
};

// While alive, the program's downloads and its link pause briefly where they pause
// seconds around a reconnection (the retry counts stay the program's), so that a
// device that keeps failing is given up at once. The link's own reset restores its
// pauses; this restores the download's.
class ShortReconnectPauses
{
public:
    ShortReconnectPauses(ProgramState& state, DeviceLink& link);
    ~ShortReconnectPauses();
    ShortReconnectPauses(const ShortReconnectPauses&) = delete;
    ShortReconnectPauses& operator=(const ShortReconnectPauses&) = delete;

private:
    ProgramState& m_state;
    DeviceLink& m_link;
};
