// The waits, pauses and attempts of the device link, and the folder its serial
// port list lives under: one value, given to the link whole.
#pragma once

#include <QString>

struct program_rec;

struct LinkSettings
{
    // The folder (ending in "/") whose dosdevices/comN links are the serial ports.
    QString portsRoot;
    // The network client's own read time-out, added to the reply wait.
    int lanReadTimeoutMs = 500;
    // How long a serial attempt waits for a complete reply.
    int serialReplyTimeoutMs = 5000;
    // Times a frame is sent to a serial device that gives no complete reply.
    int serialAttempts = 4;
    // The pause after a network connection is closed, before anything else goes on.
    int disconnectPauseMs = 200;
    // The settings file's "timeout" values: the second is the reply wait of a network
    // exchange, the third the time-out of a network connection (a value of 0 or less
    // is taken as the file's default, kDefaultConnectWaitMs).
    int replyWaitMs = 500;
    int connectWaitMs = 500;
    // The settings file's "trycnt": the attempts of one network exchange (0 or less:
    // nothing is sent).
    int tries = 3;
};

// The connection time-out taken when the settings give none that can be used.
inline constexpr int kDefaultConnectWaitMs = 500;

// The link's settings from the program's settings: the ports folder, the reply wait,
// the connection time-out and the attempts; the link's own waits as base has them.
LinkSettings linkSettingsFrom(const program_rec& prog, LinkSettings base = {});
