#include "config/paramsheet.h"

#include <cmath>
#include <limits>

#include <QCoreApplication>

#include "app/fields.h"
#include "platform/convert.h"
#include "platform/errors.h"

using ordered_json = nlohmann::ordered_json;

namespace sheettext {
const QString kCommFault = QStringLiteral("اشکال در ارتباط");
const QString kNoReply = QStringLiteral("پاسخی از دستگاه دریافت نشد از درست بودن آی دی اطمینان حاصل کنید");
const QString kNotConfirmed = QStringLiteral("لطفا با خواندن مجدد تنظیمات از ذخیره تغییرات اطمینان حاصل کنید ");
const QString kNoSpaceInNumber = QStringLiteral("در شماره شما نباید فاصله وجود داشته باشد");
const QString kExpertWarning = QStringLiteral("لطفا در صورت تردید از تغییر دادن پارامتر ها پرهیز کنید ") +
                               QLatin1Char('\r') + QStringLiteral("این تنظیمات میبایست توسط افراد خبره انجام شود");
const QString kNameMax19 = QStringLiteral("نام حداکثر می تواند ۱۹ تا باشد ");
const QString kSensorNameMax16 = QStringLiteral("نام حداکثر میتواند 16 کارکتر باشد");
const QString kIdsMax = QStringLiteral("تعداد ای دی ها حداکثر می تواند ۱4 تا باشد");
const QString kPassMax9 = QStringLiteral("رمز حداکثر 9 کاراکتر می تواند باشد ");
const QString kNamePassMax29 = QStringLiteral("نام و رمز حداکثر میتواند ۲۹ کارکتر باشد");
const QString kBadChars = QStringLiteral("نام ها نمی توانند فارسی باشند و کاراکترها باید مجاز باشند");
const QString kBadNumber = QStringLiteral("مقادیر عددی را درست تنظیم نمایید");
const QString kMinBelowMax = QStringLiteral("حداقل می بایست کمتر از حد اکثر باشد");
const QString kUndefined = QStringLiteral("This ctrl not defined:");
const QString kSeparatorLine = QStringLiteral("-----------------------------");
}  // namespace sheettext

namespace {

// A reply larger than this is not a parameter set.
constexpr qsizetype kMaxReplyChars = 1 << 20;

// 7-bit ASCII text: any other character (and a control character) becomes "?".
QString asciiOnly(const QString& s)
{
    QString out = s;
    for (QChar& c : out)
        if (c.unicode() > 127 || c.unicode() < 32) c = QLatin1Char('?');
    return out;
}

// General format with up to 15 significant digits: "20.5", "7", "1E20", "1E-7".
QString generalFormat(double v)
{
    QString t = QString::number(v, 'g', 15);
    const qsizetype e = t.indexOf(QLatin1Char('e'));
    if (e >= 0) {
        QString exp = t.mid(e + 1);
        const bool negative = exp.startsWith(QLatin1Char('-'));
        exp.remove(0, (exp.startsWith(QLatin1Char('-')) || exp.startsWith(QLatin1Char('+'))) ? 1 : 0);
        while (exp.size() > 1 && exp.startsWith(QLatin1Char('0'))) exp.remove(0, 1);
        t = t.left(e) + QLatin1Char('E') + (negative ? QStringLiteral("-") : QString()) + exp;
    }
    const QChar sep = decimalSeparator();
    if (sep != QLatin1Char('.')) t.replace(QLatin1Char('.'), sep);
    return t;
}

}  // namespace

namespace {

// A decimal separator a number may be typed with.
bool isDecimalSeparator(QChar c)
{
    return c == QLatin1Char('.') || c == decimalSeparator() || c == kArabicDecimalSeparator;
}

// The text without the blanks around it (blanks only: other white space stays and is refused).
QString withoutBlanks(const QString& text)
{
    qsizetype from = 0, to = text.size();
    while (from < to && text[from] == QLatin1Char(' ')) ++from;
    while (to > from && text[to - 1] == QLatin1Char(' ')) --to;
    return text.mid(from, to - from);
}

}  // namespace

QString deviceNumberText(const QString& text)
{
    QString t = withoutBlanks(text);
    for (QChar& c : t)
        if (isDecimalSeparator(c)) c = QLatin1Char('.');
    return t;
}

std::optional<double> paramNumber(const QString& text)
{
    const QString t = withoutBlanks(text);
    qsizetype i = t.startsWith(QLatin1Char('-')) ? 1 : 0;
    auto digits = [&] {
        const qsizetype start = i;
        while (i < t.size() && t[i] >= QLatin1Char('0') && t[i] <= QLatin1Char('9')) ++i;
        return i > start;
    };
    if (!digits()) return std::nullopt;
    if (i < t.size() && isDecimalSeparator(t[i])) {
        ++i;
        if (!digits()) return std::nullopt;
    }
    if (i != t.size()) return std::nullopt;
    try {
        return strToFloat(t);
    } catch (const ConvertError&) {
        return std::nullopt;
    }
}

namespace {

// The value of a changed control as the change text carries it.
QString sentValue(const ParamCell& c)
{
    switch (c.row->kind) {
        case ParamKind::Number:
            return deviceNumberText(c.text);
        case ParamKind::Text:
            return c.text;
        case ParamKind::Index:
            break;
    }
    return QString::number(c.index);
}

QString entryOf(const ParamCell& c)
{
    const QString head = QLatin1Char('"') + c.row->key + QStringLiteral("\":");
    if (c.row->kind == ParamKind::Text) return head + QLatin1Char('"') + sentValue(c) + QStringLiteral("\",");
    return head + sentValue(c) + QLatin1Char(',');
}

}  // namespace

QString trimParamReply(const QString& reply)
{
    QString t = reply;
    if (t.startsWith(QLatin1Char('$'))) t.remove(0, 1);
    const qsizetype hash = t.indexOf(QLatin1Char('#'));
    if (hash >= 0) t.truncate(hash);
    return t;
}

QString paramValueText(const ordered_json& v)
{
    switch (v.type()) {
        case ordered_json::value_t::string:
            return asciiOnly(QString::fromStdString(v.get<std::string>()));
        case ordered_json::value_t::number_integer: {
            const qint64 i = v.get<qint64>();
            const QString whole = QString::number(i);
            return whole.size() > 11 ? whole : generalFormat(double(i));
        }
        case ordered_json::value_t::number_unsigned: {
            const quint64 u = v.get<quint64>();
            if (u > quint64(std::numeric_limits<qint64>::max()))
                throw ConvertError(QCoreApplication::translate("Termivo", "'%1' is not a valid integer value").arg(u));
            const QString whole = QString::number(u);
            return whole.size() > 11 ? whole : generalFormat(double(u));
        }
        case ordered_json::value_t::number_float:
            return generalFormat(v.get<double>());
        default:
            break;
    }
    throw ReplyError(QCoreApplication::translate("Termivo", "Unexpected parameter value: %1")
                         .arg(QString::fromLatin1(v.type_name())));
}

// ---------------------------------------------------------------- the sheet

ParameterSheet::ParameterSheet()
{
    for (const ParamRow& r : parameterSchema()) {
        ParamCell c;
        c.row = &r;
        c.enabled = r.state == ParamState::Editable;
        m_index.insert(r.name(), int(m_cells.size()));
        m_cells.append(c);
    }
}

ParamCell* ParameterSheet::cell(const QString& name)
{
    const auto it = m_index.constFind(name);
    return it == m_index.constEnd() ? nullptr : &m_cells[*it];
}

const ParamCell* ParameterSheet::cell(const QString& name) const
{
    const auto it = m_index.constFind(name);
    return it == m_index.constEnd() ? nullptr : &m_cells[*it];
}

QString ParameterSheet::text(const QString& name) const
{
    const ParamCell* c = cell(name);
    if (!c) return {};
    return c->row->kind == ParamKind::Index ? QString::number(c->index) : c->text;
}

BindOutcome ParameterSheet::bind(const QString& text1, const QString& topMember, BindMode mode, bool expert)
{
    const QString trimmed = trimParamReply(text1);
    if (trimmed.size() > kMaxReplyChars)
        throw ReplyError(QCoreApplication::translate("Termivo", "The reply is too long"));
    const QByteArray bytes = asciiOnly(trimmed).toLatin1();
    const ordered_json doc = ordered_json::parse(bytes.constData(), bytes.constData() + bytes.size(), nullptr, false);
    if (doc.is_discarded() || !doc.is_object())
        throw ReplyError(QCoreApplication::translate("Termivo", "The reply is not a JSON object"));
    const auto top = doc.find(topMember.toStdString());
    if (top == doc.end() || !top->is_object())
        throw ReplyError(QStringLiteral("The reply has no object \"%1\"").arg(topMember));

    struct Fill
    {
        int cell;
        QString tooltip;
        QString text;
        int index;
    };
    QList<Fill> fills;
    QList<int> visited;
    BindOutcome out;
    enum class GroupState { None, Seen, Open } state = GroupState::None;
    for (auto g = top->begin(); g != top->end(); ++g) {
        if (!g->is_object()) throw ReplyError(QStringLiteral("The group \"%1\" is not an object").arg(g.key().c_str()));
        const QString group = QString::fromStdString(g.key());
        if (state == GroupState::Open) out.changeText += QStringLiteral("},");
        state = GroupState::Seen;
        for (auto p = g->begin(); p != g->end(); ++p) {
            if (p->is_boolean()) continue;
            const QString key = QString::fromStdString(p.key());
            const QString name = ParamRow::controlName(group, key);
            out.controlNames.append(name);
            const auto it = m_index.constFind(name);
            if (it == m_index.constEnd()) {
                out.undefinedLines.append(sheettext::kUndefined + name);
                continue;
            }
            const ParamCell& c = m_cells[*it];
            visited.append(*it);
            if (mode == BindMode::Fill) {
                Fill f{*it, group + QLatin1Char('.') + key, paramValueText(*p), -1};
                if (c.row->kind == ParamKind::Index) {
                    const int pos = strToInt(f.text);
                    f.index = pos >= 0 && pos < c.row->items.size() ? pos : -1;
                }
                fills.append(f);
            } else if (c.changed) {
                if (state == GroupState::Seen) {
                    out.changeText += QLatin1Char('"') + group + QStringLiteral("\":{");
                    state = GroupState::Open;
                }
                out.changeText += entryOf(c);
                QString before;
                try {
                    // Numbers with a point, as the new value goes out, whatever the regional settings.
                    before = paramValueText(*p);
                    if (c.row->kind == ParamKind::Number) before = deviceNumberText(before);
                } catch (const std::exception&) {
                    before = QString::fromStdString(p->dump());  // not a value the sheet shows
                }
                out.changes.append({group + QLatin1Char('.') + key, before, sentValue(c)});
            }
        }
    }

    // The whole reply was read: now the sheet changes.
    controlNames += out.controlNames;
    for (int i : visited)
        if (expert) m_cells[i].enabled = true;
    if (mode == BindMode::Build) {
        for (int i : visited) m_cells[i].changed = false;
        return out;
    }
    for (const Fill& f : fills) {
        ParamCell& c = m_cells[f.cell];
        c.tooltip = f.tooltip;
        if (c.row->kind == ParamKind::Index) {
            c.index = f.index;
        } else if (c.text != f.text) {
            c.text = f.text;
            out.messages += changeHandler(c.row->name());
        }
        c.changed = false;
    }
    return out;
}

QStringList ParameterSheet::edit(const QString& name, const QString& text)
{
    ParamCell* c = cell(name);
    if (!c) return {};
    c->text = text;
    return changeHandler(name);
}

QStringList ParameterSheet::pick(const QString& name, int index)
{
    ParamCell* c = cell(name);
    if (!c) return {};
    c->index = index >= 0 && index < c->row->items.size() ? index : -1;
    return changeHandler(name);
}

QStringList ParameterSheet::changeHandler(const QString& name)
{
    QStringList messages;
    for (int n = 0; n < 5; ++n)
        if (text(QStringLiteral("LE_GSM_Number%1").arg(n)).contains(QLatin1Char(' ')))
            messages << sheettext::kNoSpaceInNumber;
    if (ParamCell* c = cell(name)) {
        c->changed = loaded;
        if (loaded) sendShown = true;
    }
    return messages;
}

void ParameterSheet::unlockBound()
{
    for (const QString& name : controlNames)
        if (ParamCell* c = cell(name)) c->enabled = true;
}

void ParameterSheet::clearBound()
{
    for (const QString& name : controlNames)
        if (ParamCell* c = cell(name)) {
            c->text.clear();
            c->index = -1;
            c->changed = false;
        }
}

bool ParameterSheet::limitsChanged(int channel) const
{
    for (const char* key : {"Min1", "Max1"}) {
        const ParamCell* c = cell(QStringLiteral("LE_S%1_%2").arg(channel).arg(QLatin1String(key)));
        if (c && c->changed) return true;
    }
    return false;
}

bool ParameterSheet::anyChanged() const
{
    for (const ParamCell& c : m_cells)
        if (c.changed) return true;
    return false;
}

// ---------------------------------------------------------------- validation

bool textCharsValid(const QString& text)
{
    static const QString refused = QStringLiteral("$#\"\\");
    for (const QChar c : text)
        if (c.unicode() < 32 || c.unicode() > 126 || refused.contains(c)) return false;
    return true;
}

bool nameCharsValid(const QString& text, bool pathSafe)
{
    static const QString refused = QStringLiteral("(){},[]");
    if (!textCharsValid(text)) return false;
    for (const QChar c : text)
        if (refused.contains(c) || (pathSafe && c == QLatin1Char('/'))) return false;
    return true;
}

QString changeMessage(const ParamCell& c)
{
    const ParamRow& r = *c.row;
    const QString name = r.group + QLatin1Char('.') + r.key;
    if (r.state == ParamState::LockedReadOnly)
        return QCoreApplication::translate("Termivo", "%1 cannot be changed").arg(name);
    if (!c.enabled)
        return QCoreApplication::translate("Termivo", "%1 is locked: it changes only with the expert access").arg(name);
    switch (r.kind) {
        case ParamKind::Text:
            return textCharsValid(c.text) ? QString() : sheettext::kBadChars;
        case ParamKind::Number: {
            const std::optional<double> v = paramNumber(c.text);
            if (!v) return sheettext::kBadNumber;
            if (r.real) {
                if (*v < -kRealMax || *v > kRealMax)
                    return QCoreApplication::translate("Termivo", "%1 takes a number from %2 to %3")
                        .arg(name)
                        .arg(qint64(-kRealMax))
                        .arg(qint64(kRealMax));
            } else if (deviceNumberText(c.text).contains(QLatin1Char('.')) || *v < double(kWholeMin) ||
                       *v > double(kWholeMax)) {
                return QCoreApplication::translate("Termivo", "%1 takes a whole number from %2 to %3")
                    .arg(name)
                    .arg(kWholeMin)
                    .arg(kWholeMax);
            }
            return {};
        }
        case ParamKind::Index:
            break;
    }
    if (c.index >= 0 && c.index < r.items.size()) return {};
    return QCoreApplication::translate("Termivo", "%1 takes a list position from 0 to %2")
        .arg(name)
        .arg(r.items.size() - 1);
}

namespace {
// Whether the order check reads the text as a number.
bool readsAsNumber(const QString& text)
{
    try {
        strToFloat(text);
        return true;
    } catch (const ConvertError&) {
        return false;
    }
}
}  // namespace

QString minMaxMessage(const QString& s1, const QString& s2)
{
    double a = 0, b = 0;
    try {
        a = strToFloat(s1);
        b = strToFloat(s2);
    } catch (const ConvertError&) {
        return sheettext::kBadNumber;
    }
    return b > a ? QString() : sheettext::kMinBelowMax;
}

QStringList validationMessages(const ParameterSheet& sheet)
{
    QStringList m;
    auto len = [&](const QString& name) { return sheet.text(name).size(); };
    auto sensor = [](int n, const char* key) { return QStringLiteral("LE_S%1_%2").arg(n).arg(QLatin1String(key)); };
    if (len(QStringLiteral("LE_BaseParam_Name")) > 19) m << sheettext::kNameMax19;
    for (int n = 0; n < 4; ++n)
        if (len(sensor(n, "Name")) > 16) m << sheettext::kSensorNameMax16;
    if (len(QStringLiteral("LE_GSM_IDS")) > kIdsMaxChars) m << sheettext::kIdsMax;
    if (len(QStringLiteral("LE_GSM_ChangePass")) > 9) m << sheettext::kPassMax9;
    for (const char* name : {"LE_AP_Name", "LE_AP_Password", "LE_Station_Name", "LE_Station_Password"})
        if (len(QLatin1String(name)) > 29) m << sheettext::kNamePassMax29;
    // Sensor names become report file names: they refuse "/" as well.
    const QStringList charChecked{QStringLiteral("LE_BaseParam_Name"),
                                  sensor(0, "Name"),
                                  sensor(1, "Name"),
                                  sensor(2, "Name"),
                                  sensor(3, "Name"),
                                  QStringLiteral("LE_GSM_IDS"),
                                  QStringLiteral("LE_GSM_ChangePass"),
                                  QStringLiteral("LE_AP_Password"),
                                  QStringLiteral("LE_Station_Name"),
                                  QStringLiteral("LE_Station_Password")};
    for (const QString& name : charChecked)
        if (!nameCharsValid(sheet.text(name), name.startsWith(QLatin1String("LE_S")))) m << sheettext::kBadChars;
    for (int n = 0; n < 4; ++n)
        for (const auto& [lo, hi] : {std::pair{"Min1", "Max1"}, std::pair{"MinP", "MaxP"}})
            if (const QString msg = minMaxMessage(sheet.text(sensor(n, lo)), sheet.text(sensor(n, hi))); !msg.isEmpty())
                m << msg;
    for (int n = 0; n < 4; ++n)
        if (const QString msg = minMaxMessage(sheet.text(sensor(n, "Calibrate")), QStringLiteral("100"));
            !msg.isEmpty())
            m << msg;
    // A changed value goes into the change text as it stands. What the checks above
    // said already (the names' characters, a limit or correction that is no number at
    // all) is not said twice.
    for (const ParamCell& c : sheet.cells()) {
        if (!c.changed) continue;
        const QString msg = changeMessage(c);
        if (msg.isEmpty() || (msg == sheettext::kBadChars && charChecked.contains(c.row->name()))) continue;
        if (msg == sheettext::kBadNumber && c.row->real && !readsAsNumber(c.text)) continue;
        m << msg;
    }
    return m;
}
