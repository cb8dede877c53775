// The behaviour of one emulated logging device: its state and its answer to each
// request frame (faults aside, which the transport applies).
#pragma once

#include <nlohmann/json.hpp>
#include <optional>

#include <QDateTime>
#include <QString>

#include "app/records.h"
#include "fleet.h"
#include "model.h"

namespace devsim {

class Device
{
public:
    Device(const DeviceConfig& config, uint32_t seed);

    const DeviceConfig& config() const { return m_config; }
    const QString& id() const { return m_config.id; }

    // The device's clock (the computer's plus the device's offset).
    QDateTime clock() const;
    LogSpan span() const;
    // The codes the device holds for a day now (none for a day its calendar lacks).
    QString codesOf(int sensor, const LogDay& d) const;

    // The reply, as sent on the wire ("$" ... "#"), to a frame body (the text between
    // "A{" and the ":sum,id}#" tail); nothing for a frame the device does not answer.
    // sensorShift answers a day request for another sensor (a fault); fault names a
    // parameter-set fault (params.h) or "noconfirm" (a change text without "SetResp").
    std::optional<QString> answer(const QString& body, int sensorShift = 0, const QString& fault = QString());
    // The reply datagram to the device search.
    QString searchReply() const;

private:
    ShamsiCalendar calendar() const;
    // Whether the device's calendar has the day (its two-digit year taken near the clock's).
    bool hasDay(const LogDay& d) const;
    QString header(int sensor) const;
    QString dayLog(const QString& body, int sensorShift) const;
    QString online() const;
    QString timeDate() const;

    DeviceConfig m_config;
    uint32_t m_seed;
    nlohmann::ordered_json m_params;
    qint64 m_clockOffsetSecs;
    bool m_erased = false;
    LogDay m_erasedDay;
    qint64 m_ussdReadyAt = -1;  // ms since epoch; -1: no answer pending
    int m_ussdReads = 0;        // reads since the last code
};

}  // namespace devsim
