// How hard a channel's download tries before it gives up.
#pragma once

struct DownloadRetryPolicy
{
    int reconnectPauseMs = 2000;  // pause before a LAN device is connected again for a new pass
    int maxFailedPasses = 5;      // passes in a row without a new good day before the channel fails
};
