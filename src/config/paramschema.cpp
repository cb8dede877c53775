#include "config/paramschema.h"

#include <QHash>

namespace {

using K = ParamKind;
using S = ParamState;
using T = ParamTab;

ParamRow row(const QString& group, const QString& key, K kind, const QString& label, S state, T tab,
             const QString& box = QString(), const QStringList& items = {}, bool masked = false)
{
    ParamRow r;
    r.group = group;
    r.key = key;
    r.kind = kind;
    r.label = label.isNull() ? r.key : label;
    r.state = state;
    r.tab = tab;
    r.box = box;
    r.items = items;
    r.masked = masked;
    return r;
}

// A narrow Number beside the list of `key`, carrying its label.
ParamRow beside(ParamRow r, const QString& key)
{
    r.besideList = key;
    return r;
}

// A Number that takes a fraction.
ParamRow real(ParamRow r)
{
    r.real = true;
    return r;
}

QStringList alarmPeriodItems()
{
    return {QStringLiteral("1 دقیقه "), QStringLiteral("2 دقیقه "),  QStringLiteral("5 دقیقه"),
            QStringLiteral("10 دقیقه"), QStringLiteral(" 15 دقیقه"), QStringLiteral("30 دقیقه"),
            QStringLiteral("1 ساعت "),  QStringLiteral("3 ساعت"),    QStringLiteral("6 ساعت "),
            QStringLiteral("12 ساعت "), QStringLiteral("1 روز")};
}

QList<ParamRow> buildSchema()
{
    QList<ParamRow> s;
    const QString none;
    // The device itself.
    s << row("BaseParam", "Name", K::Text, QStringLiteral("نام دستگاه "), S::Editable, T::Device)
      << row("BaseParam", "ID", K::Text, QStringLiteral("آی دی دستگاه"), S::Locked, T::Device)
      << row("BaseParam", "AlarmActive", K::Index, QStringLiteral("فعالیت بوق"), S::Editable, T::Device, none,
             {QStringLiteral("غیر فعال "), QStringLiteral("فعال ")})
      << row("BaseParam", "BuzzerPeriod", K::Number, QStringLiteral("شدت صدای بوق"), S::Editable, T::Device)
      << row("BaseParam", "AlarmPeriod", K::Index, QStringLiteral("انتظار برای هشدار"), S::Editable, T::Device, none,
             alarmPeriodItems())
      << row("BaseParam", "SMS_ID", K::Text, QStringLiteral(" GSMآی دی   "), S::Locked, T::Device)
      << row("BaseParam", "Battery", K::Number, QStringLiteral("باطری "), S::Locked, T::Device)
      << row("BaseParam", "Wireless_Mode", K::Number, QStringLiteral("نوع ارتباط "), S::Locked, T::Device)
      << beside(row("BaseParam", "AlarmActiveX", K::Number, QStringLiteral("فعالیت بوق"), S::Editable, T::Device),
                "AlarmActive")
      << beside(
             row("BaseParam", "AlarmPeriodx", K::Number, QStringLiteral("انتظار برای هشدار"), S::Editable, T::Device),
             "AlarmPeriod");
    // Channels 1 to 4.
    for (int n = 0; n < 4; ++n) {
        const QString g = QStringLiteral("S%1").arg(n);
        const QString box = QStringLiteral("Sensor%1").arg(n + 1);
        s << row(g, "Name", K::Text, QStringLiteral("نام سنسور"), S::Editable, T::Sensors, box)
          << real(row(g, "Calibrate", K::Number, QStringLiteral("اصلاحیه"), S::Editable, T::Sensors, box))
          << real(row(g, "Min1", K::Number, QStringLiteral("حداقل مجاز"), S::Editable, T::Sensors, box))
          << real(row(g, "Max1", K::Number, QStringLiteral("حداکثر مجاز"), S::Editable, T::Sensors, box))
          << real(row(g, "MinP", K::Number, QStringLiteral("حداقل مجاز تلفن"), S::Editable, T::Sensors, box))
          << real(row(g, "MaxP", K::Number, QStringLiteral("حداکثر مجاز تلفن"), S::Editable, T::Sensors, box))
          << row(g, "Type", K::Text, QStringLiteral("نوع سنسور "), S::Locked, T::Sensors, box)
          << row(g, "Com_Mode", K::Text, QStringLiteral("نوع اتصال "), S::Locked, T::Sensors, box)
          << row(g, "AlarmActive1", K::Number, QStringLiteral("AlarmActive"), S::Hidden, T::Sensors, box)
          << row(g, "AlarmPeriod", K::Number, QStringLiteral("AlarmPeriod"), S::Hidden, T::Sensors, box)
          << row(g, "Period", K::Number, QStringLiteral("Period"), S::Hidden, T::Sensors, box);
    }
    // Wired network, access point, station.
    const QString lan = QStringLiteral("LAN"), ap = QStringLiteral("Access Point"), st = QStringLiteral("Station");
    s << row("LAN", "SIP", K::Text, QStringLiteral("IP"), S::Editable, T::Network, lan)
      << row("LAN", "Subnet", K::Text, none, S::Editable, T::Network, lan)
      << row("LAN", "Gateway", K::Text, none, S::Editable, T::Network, lan)
      << row("LAN", "MAC", K::Text, none, S::Locked, T::Network, lan)
      << row("LAN", "Port", K::Number, none, S::Locked, T::Network, lan)
      << row("LAN", "DHCP", K::Number, none, S::Locked, T::Network, lan)
      << row("LAN", "Enable", K::Number, none, S::Locked, T::Network, lan)
      << row("LAN", "VQLM_IP", K::Text, QStringLiteral("VQLM_IP"), S::Locked, T::Network, lan);
    s << row("AP", "IP", K::Text, none, S::Editable, T::Network, ap)
      << row("AP", "Subnet", K::Text, none, S::Editable, T::Network, ap)
      << row("AP", "Gateway", K::Text, none, S::Editable, T::Network, ap)
      << row("AP", "Name", K::Text, none, S::Locked, T::Network, ap)
      << row("AP", "Password", K::Text, none, S::Locked, T::Network, ap)
      << row("AP", "MAC", K::Text, none, S::Locked, T::Network, ap)
      << row("AP", "DHCP", K::Number, none, S::Locked, T::Network, ap)
      << row("AP", "Status", K::Number, none, S::Locked, T::Network, ap);
    s << row("Station", "IP", K::Text, none, S::Editable, T::Network, st)
      << row("Station", "Subnet", K::Text, none, S::Editable, T::Network, st)
      << row("Station", "Gateway", K::Text, none, S::Editable, T::Network, st)
      << row("Station", "Name", K::Text, none, S::Editable, T::Network, st)
      << row("Station", "Password", K::Text, none, S::Editable, T::Network, st, {}, true)
      << row("Station", "MAC", K::Text, none, S::Locked, T::Network, st)
      << row("Station", "DHCP", K::Number, none, S::Locked, T::Network, st)
      << row("Station", "Status", K::Number, none, S::Locked, T::Network, st);
    // The GSM modem.
    const QString numbers = QStringLiteral("شماره تلفن ها برای اعلام هشدار ");
    const QStringList digits{QStringLiteral("۱"), QStringLiteral("۲"), QStringLiteral("۳"), QStringLiteral("۴"),
                             QStringLiteral("۵")};
    for (int n = 0; n < 5; ++n) {
        const QString key = QStringLiteral("Number%1").arg(n);
        s << row("GSM", key, K::Text, QStringLiteral("شماره تلفن") + digits[n], n < 4 ? S::Editable : S::Locked,
                 T::Phone, numbers);
    }
    QStringList wait4Con{QStringLiteral("هرگز")};
    wait4Con << alarmPeriodItems();
    s << row("GSM", "Wait4Con", K::Index, QStringLiteral("دوره اتصال به سایت"), S::Editable, T::Phone, none, wait4Con)
      << row("GSM", "Delay2Con", K::Number, QStringLiteral("تاخیر اتصال"), S::Locked, T::Phone)
      << row("GSM", "AlarmType", K::Index, QStringLiteral("نوع هشدار"), S::Editable, T::Phone, none,
             {QStringLiteral("هیچکدام "), QStringLiteral("پیامک"), QStringLiteral("زنگ "),
              QStringLiteral("زنگ و پیامک")})
      << beside(row("GSM", "Wait4ConX", K::Number, QStringLiteral("دوره اتصال به سایت"), S::Locked, T::Phone),
                "Wait4Con")
      << beside(row("GSM", "AlarmTypeX", K::Number, QStringLiteral("نوع هشدار"), S::Editable, T::Phone), "AlarmType")
      << row("GSM", "GSMEnable", K::Number, QStringLiteral("GSM.Enable"), S::Locked, T::Phone)
      << row("GSM", "ChCode_Num", K::Text, QStringLiteral("USSD.Charge"), S::Locked, T::Phone)
      << row("GSM", "ChCode_Start", K::Text, QStringLiteral("Start.Tag"), S::Locked, T::Phone)
      << row("GSM", "ChCode_Stop", K::Text, QStringLiteral("Stop.Tag"), S::Locked, T::Phone)
      << row("GSM", "IDS", K::Text, QStringLiteral("IDS"), S::Locked, T::Phone)
      << row("GSM", "ChangePass", K::Text, QStringLiteral("Pass"), S::Locked, T::Phone)
      << row("GSM", "MyNumber", K::Text, QStringLiteral("شماره تلفن دستگاه"), S::Locked, T::Phone)
      << row("GSM", "Etebar", K::Text, QStringLiteral("اعتبار سیم کارت"), S::Locked, T::Phone);
    // The status tab.
    s << row("BaseParam", "ChipID", K::Number, QStringLiteral("ChipID"), S::Locked, T::Status)
      << row("BaseParam", "HWVersion", K::Number, QStringLiteral("HW Version"), S::Locked, T::Status)
      << row("BaseParam", "ChipSize", K::Number, QStringLiteral("ChipSize"), S::Locked, T::Status)
      << row("BaseParam", "Model", K::Number, QStringLiteral("Model"), S::Locked, T::Status)
      << row("BaseParam", "Version", K::Text, QStringLiteral("نسخه برنامه"), S::LockedReadOnly, T::Status)
      << row("BaseParam", "Standby", K::Number, QStringLiteral("آماده به کار"), S::Locked, T::Status)
      << row("BaseParam", "Calender", K::Text, QStringLiteral("نوع تقویم"), S::Locked, T::Status)
      << row("BaseParam", "DayLightEnable", K::Number, QStringLiteral("DayLigthSaving"), S::Locked, T::Status)
      << row("BaseParam", "Checksum", K::Number, QStringLiteral("checksum"), S::Hidden, T::Status)
      << row("BaseParam", "Tag", K::Number, QStringLiteral("tag"), S::Hidden, T::Status)
      << row("Station", "Signal", K::Text, QStringLiteral("WiFi Signal "), S::Locked, T::Status);
    const QString gsm = QStringLiteral("GSM");
    for (const char* key : {"IMEI", "Anten", "Operator", "Volt", "Level"})
        s << row(QStringLiteral("GSM"), QString::fromLatin1(key), K::Text, none, S::Locked, T::Status, gsm);
    return s;
}

}  // namespace

const QList<ParamRow>& parameterSchema()
{
    static const QList<ParamRow> schema = buildSchema();
    return schema;
}

const ParamRow* findParamRow(const QString& controlName)
{
    static const QHash<QString, int> byName = [] {
        QHash<QString, int> h;
        const QList<ParamRow>& s = parameterSchema();
        for (int i = 0; i < s.size(); ++i) h.insert(s[i].name(), i);
        return h;
    }();
    const auto it = byName.constFind(controlName);
    return it == byName.constEnd() ? nullptr : &parameterSchema()[*it];
}

const ParamRow* labelCarrier(const ParamRow& list)
{
    for (const ParamRow& r : parameterSchema())
        if (r.group == list.group && r.besideList == list.key) return &r;
    return nullptr;
}

QString kindName(ParamKind kind)
{
    switch (kind) {
        case ParamKind::Number:
            return QStringLiteral("Number");
        case ParamKind::Text:
            return QStringLiteral("Text");
        case ParamKind::Index:
            break;
    }
    return QStringLiteral("Index");
}

QString tabCaption(ParamTab tab)
{
    switch (tab) {
        case ParamTab::Device:
            return QStringLiteral("تنظیمات دستگاه");
        case ParamTab::Sensors:
            return QStringLiteral("تنظیمات سنسور ها");
        case ParamTab::Network:
            return QStringLiteral("تنظیمات شبکه ");
        case ParamTab::Phone:
            return QStringLiteral("تنظیمات  تلفنی");
        case ParamTab::Status:
            break;
    }
    return QStringLiteral("وضعیت ها ");
}
