#include "params.h"

namespace devsim {

namespace {

std::string s(const QString& t)
{
    return t.toStdString();
}

QString wire(const ordered_json& j)
{
    return QStringLiteral("$") + QString::fromStdString(j.dump()) + QLatin1Char('#');
}

// A cursor over the change text.
struct Reader
{
    const QString& t;
    qsizetype i = 0;

    void blanks()
    {
        while (i < t.size() && t[i].isSpace()) ++i;
    }
    bool take(QChar c)
    {
        blanks();
        if (i < t.size() && t[i] == c) {
            ++i;
            return true;
        }
        return false;
    }
    bool peek(QChar c)
    {
        blanks();
        return i < t.size() && t[i] == c;
    }
    // A quoted name or text: no escapes, no line breaks.
    std::optional<QString> quoted()
    {
        if (!take(QLatin1Char('"'))) return std::nullopt;
        const qsizetype start = i;
        while (i < t.size() && t[i] != QLatin1Char('"')) {
            if (t[i] == QLatin1Char('\\') || t[i].unicode() < 32) return std::nullopt;
            ++i;
        }
        if (i >= t.size()) return std::nullopt;
        return t.mid(start, i++ - start);
    }
    // A bare value up to the next "," or "}": must be a number.
    std::optional<ordered_json> number()
    {
        blanks();
        const qsizetype start = i;
        while (i < t.size() && t[i] != QLatin1Char(',') && t[i] != QLatin1Char('}') && t[i] != QLatin1Char(')')) ++i;
        const QString text = t.mid(start, i - start).trimmed();
        bool ok = false;
        const qlonglong whole = text.toLongLong(&ok);
        if (ok) return ordered_json(whole);
        const double v = text.toDouble(&ok);
        if (!ok || text.isEmpty()) return std::nullopt;
        return ordered_json(v);
    }
};

}  // namespace

ordered_json initialParameters(const DeviceConfig& config)
{
    auto name = [&](int k) {
        return k < config.sensorNames.size() ? config.sensorNames.at(k) : QStringLiteral("Sensor%1").arg(k + 1);
    };
    ordered_json main = ordered_json::object();
    main["BaseParam"] = {{"Name", s(config.name.isEmpty() ? QStringLiteral("Device ") + config.id : config.name)},
                         {"ID", s(config.id)},
                         {"AlarmActive", 1},
                         {"BuzzerPeriod", 5},
                         {"AlarmPeriod", 2},
                         {"SMS_ID", s(config.id)},
                         {"Battery", 98},
                         {"Wireless_Mode", config.isLan() ? 1 : 0},
                         {"AlarmActiveX", 0},
                         {"AlarmPeriodx", 0},
                         {"KeyLock", false},
                         {"Checksum", 0},
                         {"Tag", 0}};
    for (int k = 0; k < 4; ++k) {
        const QChar l = config.letter(k);
        const bool humidity = l == QLatin1Char('H');
        main[s(QStringLiteral("S%1").arg(k))] = {{"Name", s(l == QLatin1Char('-') ? QString() : name(k))},
                                                 {"Calibrate", 0},
                                                 {"Min1", humidity ? 20 : -20},
                                                 {"Max1", humidity ? 80 : 50.5},
                                                 {"MinP", humidity ? 15 : -25},
                                                 {"MaxP", humidity ? 85 : 55},
                                                 {"Type", s(QString(l))},
                                                 {"Com_Mode", l == QLatin1Char('-') ? "None" : "Wire"},
                                                 {"AlarmActive1", 1},
                                                 {"AlarmPeriod", 0},
                                                 {"Period", 60}};
    }
    main["LAN"] = {
        {"SIP", s(config.isLan() ? config.link : QStringLiteral("127.0.0.1"))},
        {"Subnet", "255.0.0.0"},
        {"Gateway", "127.0.0.1"},
        {"MAC", s(QStringLiteral("02:00:00:00:%1:01")
                      .arg(config.id.isEmpty() ? 0 : config.id.at(0).unicode() & 0xff, 2, 16, QLatin1Char('0')))},
        {"Port", 54321},
        {"DHCP", 0},
        {"Enable", config.isLan() ? 1 : 0},
        {"VQLM_IP", "127.0.0.1"},
        {"DNS", "127.0.0.53"}};  // no control on the settings page
    main["AP"] = {{"IP", "127.0.0.1"},
                  {"Subnet", "255.0.0.0"},
                  {"Gateway", "127.0.0.1"},
                  {"Name", s(QStringLiteral("Logger-") + config.id)},
                  {"Password", "12345678"},
                  {"MAC", "02:00:00:00:00:02"},
                  {"DHCP", 1},
                  {"Status", 0}};
    main["Station"] = {{"IP", "127.0.0.1"}, {"Subnet", "255.0.0.0"}, {"Gateway", "127.0.0.1"},
                       {"Name", "Lab"},     {"Password", "secret"},  {"MAC", "02:00:00:00:00:03"},
                       {"DHCP", 1},         {"Status", 0},           {"Enabled", false}};
    main["GSM"] = {{"Number0", "09120000000"},
                   {"Number1", "09121111111"},
                   {"Number2", ""},
                   {"Number3", ""},
                   {"Number4", ""},
                   {"Wait4Con", 0},
                   {"Delay2Con", 10},
                   {"AlarmType", 1},
                   {"Wait4ConX", 0},
                   {"AlarmTypeX", 0},
                   {"GSMEnable", 1},
                   {"ChCode_Num", "*140*"},
                   {"ChCode_Start", "credit"},
                   {"ChCode_Stop", "Rials"},
                   {"IDS", "1"},
                   {"ChangePass", "0000"},
                   {"MyNumber", "09350000000"},
                   {"Etebar", "12500"},
                   {"Roaming", true}};
    return {{"Main", main}};
}

ordered_json statusSet(const DeviceConfig& config)
{
    ordered_json stat = {{"BaseParam",
                          {{"ChipID", 4242},
                           {"HWVersion", 3},
                           {"ChipSize", 4096},
                           {"Model", 2},
                           {"Version", "2.7.1"},
                           {"Standby", 1},
                           {"Calender", "Shamsi"},
                           {"DayLightEnable", 0}}},
                         {"Station", {{"Signal", "-61"}}},
                         {"GSM",
                          {{"IMEI", "350000000000001"},
                           {"Anten", "21"},
                           {"Operator", "Operator"},
                           {"Volt", "4.1"},
                           {"Level", config.isLan() ? "3" : "4"}}}};
    return {{"FullStat", stat}};
}

bool applyChangeText(ordered_json& params, const QString& body)
{
    const qsizetype at = body.indexOf(QLatin1String("\"Main\""));
    if (at < 0 || !params.contains("Main")) return false;
    Reader r{body, at + 6};
    if (!r.take(QLatin1Char(':')) || !r.take(QLatin1Char('{'))) return false;
    struct Change
    {
        std::string group, key;
        ordered_json value;
    };
    std::vector<Change> changes;
    const ordered_json& main = params["Main"];
    while (r.peek(QLatin1Char('"'))) {
        const std::optional<QString> group = r.quoted();
        if (!group || !r.take(QLatin1Char(':')) || !r.take(QLatin1Char('{'))) return false;
        const auto g = main.find(s(*group));
        if (g == main.end() || !g->is_object()) return false;
        while (r.peek(QLatin1Char('"'))) {
            const std::optional<QString> key = r.quoted();
            if (!key || !r.take(QLatin1Char(':')) || !g->contains(s(*key))) return false;
            std::optional<ordered_json> value;
            if (r.peek(QLatin1Char('"'))) {
                if (const std::optional<QString> text = r.quoted()) value = s(*text);
            } else {
                value = r.number();
            }
            if (!value) return false;
            changes.push_back({s(*group), s(*key), *value});
            r.take(QLatin1Char(','));
        }
        if (!r.take(QLatin1Char('}'))) return false;
        r.take(QLatin1Char(','));
    }
    r.take(QLatin1Char('}'));  // "Main" closed, or its last group left open
    if (!r.take(QLatin1Char(')'))) return false;
    for (const Change& c : changes) params["Main"][c.group][c.key] = c.value;
    return true;
}

std::optional<QString> faultyFullSet(const ordered_json& params, const QString& kind)
{
    if (kind == QLatin1String("notjson")) {
        // Trailing commas: the program's reader cannot take it, but it looks like a set.
        return QStringLiteral("${\"Main\":{\"BaseParam\":{\"Name\":\"Lab\",\"ID\":\"x\",},}}#");
    }
    if (kind == QLatin1String("nomain")) return wire({{"Params", params["Main"]}});
    if (kind == QLatin1String("reorder")) {
        ordered_json main = ordered_json::object();
        const ordered_json& m = params["Main"];
        for (auto it = m.rbegin(); it != m.rend(); ++it) main[it.key()] = it.value();
        return wire({{"Main", main}});
    }
    if (kind == QLatin1String("badindex")) {
        ordered_json p = params;
        p["Main"]["BaseParam"]["AlarmPeriod"] = 42;
        p["Main"]["GSM"]["AlarmType"] = -1;
        return wire(p);
    }
    return std::nullopt;
}

}  // namespace devsim
