#include "app/records.h"

program_rec Prog;
Chart_rec CurChart;
Device_Rec DevList[kMaxDevices];
int DevLast = -1;
Device_Rec SelDevice;
int YearChanged = 0;
std::atomic<int> StopFlag = 0;
int NavDevice = 0;
int NavSensor = -1;
