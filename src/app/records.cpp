#include "app/records.h"

program_rec Prog;
Chart_rec CurChart;
Device_Rec DevList[kMaxDevices];
int DevLast = -1;
Device_Rec SelDevice;
int YearChanged = 0;
int StopFlag = 0;
int NavDevice = 0;
int NavSensor = -1;

void resetGlobals()
{
    Prog = program_rec{};
    CurChart = Chart_rec{};
    for (auto& d : DevList) d = Device_Rec{};
    DevLast = -1;
    SelDevice = Device_Rec{};
    YearChanged = 0;
    StopFlag = 0;
    NavDevice = 0;
    NavSensor = -1;
}
