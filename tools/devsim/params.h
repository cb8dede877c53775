// The parameter set an emulated device keeps, its status set, and how the device reads
// a change text sent to it.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>

#include <QString>

#include "fleet.h"

namespace devsim {

using ordered_json = nlohmann::ordered_json;

// {"Main":{group:{key:value}}}: every group of the settings page with realistic values,
// a few true/false members and one key that the program has no control for.
ordered_json initialParameters(const DeviceConfig& config);
// {"FullStat":{...}}: the status set.
ordered_json statusSet(const DeviceConfig& config);

// Reads a change text as the device does, from the request body
// SetFullPara("Main":{"group":{"key":value,...},...}): groups and keys must exist in
// params, texts are quoted without escapes, other values are numbers, every entry may
// be followed by a comma, the last group may stay open. Applies the whole text and
// answers true, or changes nothing and answers false when it cannot read it.
bool applyChangeText(ordered_json& params, const QString& body);

// Parameter-set faults (fault=KIND of the fleet): the full-set reply as a device that
// misbehaves sends it; nothing for a kind that does not concern the full read.
//   notjson   a reply that is not JSON      nomain    a reply without "Main"
//   reorder   groups in another order       badindex  a list position out of range
std::optional<QString> faultyFullSet(const ordered_json& params, const QString& kind);

}  // namespace devsim
