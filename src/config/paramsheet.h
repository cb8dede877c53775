// The parameter sheet: the values of every bound control of the settings page, their
// change marks and the sheet's state, and the binding routine between a device's
// parameter set (JSON) and the sheet. The settings page only shows this model; the
// command-line configuration works on it without any window.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>

#include <QHash>
#include <QString>
#include <QStringList>

#include "config/paramschema.h"
#include "link/replies.h"

// One control's contents.
struct ParamCell
{
    const ParamRow* row = nullptr;
    QString text;          // Number and Text controls
    int index = -1;        // Index controls: the selected item, -1 for none
    bool changed = false;  // the background carries the change colour
    bool enabled = false;
    QString tooltip;
};

enum class BindMode { Fill, Build };

// One parameter that a change text carries: "GROUP.KEY", the value the stored reply
// held and the value as it goes out (a list: the position; a number: with a point).
struct ParamChange
{
    QString name;
    QString oldValue;
    QString newValue;
};

// What one binding pass produced.
struct BindOutcome
{
    QString changeText;          // build mode: the change text
    QList<ParamChange> changes;  // build mode: what the change text carries, in its order
    QStringList undefinedLines;  // "This ctrl not defined:" + name, one per parameter without a control
    QStringList controlNames;    // the names built during the pass
    QStringList messages;        // fill mode: what the change handler brought up
};

// The reply trimmer of the sheet: a leading "$" removed, then everything from the
// first "#" on.
QString trimParamReply(const QString& reply);
// The text a JSON scalar shows as: a string as it stands (characters outside 7-bit
// ASCII as "?"), a number in general format with up to 15 significant digits and the
// regional decimal separator (an integer written with more than 11 characters as a
// 64-bit integer). Throws ReplyError for null, arrays and objects.
QString paramValueText(const nlohmann::ordered_json& v);
// A number as the device writes it: blanks around it removed, its decimal separator
// (the point, the regional one or U+066B) a point. Used for the numbers of the change
// text and for limits written into report headers, so that both read back whatever
// the regional settings.
QString deviceNumberText(const QString& text);
// The number of a Number control: an optional minus, digits, and optionally a decimal
// separator (the point, the regional one or U+066B) followed by digits; blanks around.
// Nothing for any other text (a sign "+", an exponent, a blank inside, other digits).
std::optional<double> paramNumber(const QString& text);

class ParameterSheet
{
public:
    ParameterSheet();

    // Cells by control name; nullptr for a name without a control.
    ParamCell* cell(const QString& name);
    const ParamCell* cell(const QString& name) const;
    // The text of a control (an Index control: its selected position as text).
    QString text(const QString& name) const;
    const QList<ParamCell>& cells() const { return m_cells; }

    // ---- state of the sheet ----
    QStringList controlNames;  // names bound since the last read (ParamControlNames)
    bool loaded = false;       // SheetLoaded
    QString lastReply;         // LastParamReply
    bool sendShown = false;    // BtnSendSettingJson is shown
    QString clockText;         // LE_BaseParam_TimeDate

    // The binding routine over the top member ("Main" or "FullStat"). Fill mode sets
    // the controls from the reply; build mode returns the change text of the marked
    // controls in the reply's order and clears every mark. Either way the sheet is
    // touched only when the whole reply could be read: a reply that is not one JSON
    // object with that member, a group that is not an object, a value of another type
    // or a list position that is not an integer throws (ReplyError, ConvertError) and
    // leaves the sheet as it was. expert: enable every bound control.
    BindOutcome bind(const QString& text1, const QString& topMember, BindMode mode, bool expert);

    // A user edit of a control: sets the text (or the list position) and runs the
    // change handler. Returns the messages the handler brings.
    QStringList edit(const QString& name, const QString& text);
    QStringList pick(const QString& name, int index);
    // The change handler (LE_LAN_SIPChange) for the control name: the phone number
    // messages, then the mark (loaded) or white (not loaded).
    QStringList changeHandler(const QString& name);

    // The expert access: every control named in controlNames is enabled.
    void unlockBound();
    // Another device chosen: lists lose their selection, edits become empty, marks go.
    void clearBound();

    // Whether channel n (0..3) has its lower or upper limit marked changed.
    bool limitsChanged(int channel) const;
    bool anyChanged() const;

private:
    QList<ParamCell> m_cells;
    QHash<QString, int> m_index;
};

// ---- validation ----

// The messages of the validation, in the order of its checks; empty when every check
// passed. After the checks of the page's fixed list of controls comes changeMessage
// for every changed control, in the order of the schema.
QStringList validationMessages(const ParameterSheet& sheet);
// What refuses the value of a changed control, empty when it may go to the device, in
// this order: a control that is not enabled (locked without the expert access, or
// hidden) or read-only; a text that textCharsValid refuses; a number that paramNumber
// cannot read, or outside what the device's field holds (kWholeMin..kWholeMax without
// a fraction, or -kRealMax..kRealMax for the limits and the correction); a list
// position outside the list.
QString changeMessage(const ParamCell& cell);
// The most characters of LE_GSM_IDS (its message speaks of at most 14 IDs).
constexpr int kIdsMaxChars = 14;

// The characters of any text that goes to a device: printable 7-bit ASCII only (the
// link carries nothing else, and a control character would break the frame), and none
// of "$" and "#" (a frame's start and end) or the double quote and the backslash
// (they would end or escape the quoted text). Empty passes.
bool textCharsValid(const QString& text);
// The character check of names: textCharsValid, and none of # ( ) { } , [ ] (nor "/"
// when pathSafe). Empty passes.
bool nameCharsValid(const QString& text, bool pathSafe = false);
// The numeric order check: nothing when s2 > s1 (both read in the regional format),
// otherwise its message.
QString minMaxMessage(const QString& s1, const QString& s2);

namespace sheettext {
extern const QString kCommFault;        // "اشکال در ارتباط"
extern const QString kNoReply;          // no reply; make sure the ID is right
extern const QString kNotConfirmed;     // please read the settings again
extern const QString kNoSpaceInNumber;  // no space in a phone number
extern const QString kExpertWarning;    // the two lines of the expert access
extern const QString kNameMax19;
extern const QString kSensorNameMax16;
extern const QString kIdsMax;
extern const QString kPassMax9;
extern const QString kNamePassMax29;
extern const QString kBadChars;
extern const QString kBadNumber;
extern const QString kMinBelowMax;
extern const QString kUndefined;  // "This ctrl not defined:"
extern const QString kSeparatorLine;
}  // namespace sheettext
