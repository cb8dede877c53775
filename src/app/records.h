// Shared records of the program and their global instances.
#pragma once

#include <cstdint>

#include <QString>
#include <QStringList>

// Date-time record; wherever a date is stored in it, the date is Solar Hijri with
// the year as its last two digits. The record keeps its historical name, which the
// headers, settings pages and maintenance commands share.
struct _SYSTEMTIME  // NOLINT(bugprone-reserved-identifier): the record's historical name
{
    uint16_t wYear = 0;
    uint16_t wMonth = 0;
    uint16_t wDayOfWeek = 0;
    uint16_t wDay = 0;
    uint16_t wHour = 0;
    uint16_t wMinute = 0;
    uint16_t wSecond = 0;
    uint16_t wMilliseconds = 0;
};

// The Solar Hijri calendar the program dates by (the settings line "calendar").
enum class ShamsiCalendar {
    Official,    // the official calendar (Qt's Jalali calendar)
    Arithmetic,  // the fixed arithmetic of earlier versions, which some devices' clocks follow
};

// LAN devices read at once when the settings do not say.
inline constexpr int kDefaultParallelDevices = 8;

struct program_rec
{
    int wireless = 0;
    QString ver;
    int refresh = 0;
    int Online = 0;
    int TotalDev = 0;
    int CurDev = 0;
    int TimeCnt = 0;
    QString picFileName;
    QString textfilename;
    QStringList Comment;
    int TimeOut1 = 0;
    int TimeOut2 = 0;
    int TimeOut3 = 0;
    int tryCnt = 0;
    QString RootDir;
    int CntSent = 0;
    int CntRecive = 0;
    int TIMECHEAK = 0;
    QString Header;
    int ShowYear = 0;
    int CurIndex = 0;
    ShamsiCalendar calendar = ShamsiCalendar::Official;  // settings key "calendar"
    // Settings key "parallel": how many LAN devices the all-devices download and the
    // readings sweep talk to at once (1: one after another).
    int parallel = kDefaultParallelDevices;
};

struct Sensor_Rec
{
    QString Name;
    QString ID;
    QString SenType;
    bool Alarm = false;
    bool AlarmPhone = false;
    _SYSTEMTIME Last_ref;
    _SYSTEMTIME Now_ref;
    QString Status;
    bool Visit = false;
    QString parent;
    int SenNumber = 0;
    bool LastRef = false;
    int ChartIndex = 0;
};

struct Device_Rec
{
    QString Name;
    QString ID;
    QString IP;
    QString SenType;
    QString Connection;
    Sensor_Rec Sensor[4];
};

struct Chart_rec
{
    int Curr_Mon = 0;
    int StMon = 0;
    int EndMon = 0;
    int Avr_Hour = 0;
    double hys1L = 0;
    double hys1H = 0;
    _SYSTEMTIME LogTime;
    QString Dev_Type;
    QString Sensor_Type;
    QString Curr_Year;
    int SenNumber = 0;
    QString FileName;
};

constexpr int kMaxDevices = 51;  // DevList entries 0..50
