// The device chooser Cb_Com_net of the settings page: a pick from the device list or
// a new port or address makes that device the one the page works on, switches the
// link to it, reads its parameter set, and writes what it reported into the list.
#pragma once

#include <functional>

#include <QComboBox>
#include <QWidget>

class DeviceLink;
class DeviceNamesPage;
struct ProgramState;

// A drop-down list that tells when its list is about to drop down.
class DropDownList : public QComboBox
{
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    void showPopup() override;

signals:
    void droppingDown();
};

class DeviceChooser : public QWidget
{
    Q_OBJECT
public:
    // state: the chosen device; link: the link to it; list: the device list it offers
    // and writes what the device reports into.
    DeviceChooser(ProgramState& state, DeviceLink& link, DeviceNamesPage* list, QWidget* parent = nullptr);

    DropDownList* Cb_Com_net;

    // The parameter sheet as the chooser uses it. Until the sheet installs its own,
    // nothing is reset or read and no send button is shown or hidden.
    struct SheetHooks
    {
        std::function<void()> reset;         // SheetLoaded := 0, every parameter control emptied
        std::function<void()> readAll;       // the full read of the device's parameter set
        std::function<void(bool)> showSend;  // the send button BtnSendSettingJson
        std::function<void()> lockExpert;    // ExpertMode := 0, the erase button disabled
    };
    void setSheetHooks(SheetHooks hooks) { m_hooks = std::move(hooks); }

    // Drop-down: refills the items from the device list.
    void t();
    // A choice: index of the picked item, or -1 for typed text.
    void Cb_Com_netChange(int index);

private:
    ProgramState& m_state;
    DeviceLink& m_link;
    DeviceNamesPage* m_list;
    SheetHooks m_hooks;
};
