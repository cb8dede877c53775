#include "app/records.h"

#include "app/programstate.h"

program_rec& Prog = programState().Prog;
Device_Rec (&DevList)[kMaxDevices] = programState().DevList;
int& DevLast = programState().DevLast;
Device_Rec& SelDevice = programState().SelDevice;
int& YearChanged = programState().YearChanged;
