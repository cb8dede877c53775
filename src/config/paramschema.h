// The parameter set of a logging device as the settings page shows it: one row per
// bound parameter control, by group and tab. The binding between a parameter and its
// control is by name only: parameter key k of group g is the control "LE_" + g + "_" + k.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// How a value is shown and written back; also the control's placeholder text.
enum class ParamKind { Number, Text, Index };

enum class ParamState {
    Editable,        // can be changed at once
    Locked,          // disabled until the expert access unlocks it
    Hidden,          // invisible but bound
    LockedReadOnly,  // locked, and read-only even when unlocked
};

// The inner tabs of the settings page that hold parameter controls.
enum class ParamTab { Device, Sensors, Network, Phone, Status };

struct ParamRow
{
    QString group;
    QString key;
    ParamKind kind = ParamKind::Number;
    QString label;
    ParamState state = ParamState::Editable;
    ParamTab tab = ParamTab::Device;
    QString box;        // caption of the box that holds it; empty: none
    QStringList items;  // the fixed items of an Index control
    bool masked = false;
    bool real = false;  // a Number with a fraction (limits, correction); other Numbers are whole
    // A narrow Number that stands beside the list of this key (same group) and carries
    // that list's label; the list then has no label of its own.
    QString besideList;

    QString name() const { return controlName(group, key); }
    static QString controlName(const QString& group, const QString& key)
    {
        return QStringLiteral("LE_") + group + QLatin1Char('_') + key;
    }
};

// What a Number field of the device holds. Whole numbers: a 32-bit signed integer.
// Numbers with a fraction (the sensor limits and the correction): six whole digits
// either side of zero, which the device's 32-bit floating-point field keeps to a tenth.
constexpr qint64 kWholeMin = -2147483648LL;
constexpr qint64 kWholeMax = 2147483647LL;
constexpr double kRealMax = 999999;

// Every bound control, in the order of the tabs and boxes, top to bottom.
const QList<ParamRow>& parameterSchema();
// The row of a control name; nullptr when the name has no control.
const ParamRow* findParamRow(const QString& controlName);
// The narrow control that carries the label of a list; nullptr when the list has its own.
const ParamRow* labelCarrier(const ParamRow& list);
// "Number", "Text" or "Index".
QString kindName(ParamKind kind);
// The caption of a tab.
QString tabCaption(ParamTab tab);
