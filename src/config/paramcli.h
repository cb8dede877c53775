// Scriptable configuration without windows:
//   termivo --params ID [--root DIR]
//     prints the full parameter set of the registered device ID as JSON, in the
//     device's own order;
//   termivo --set-params ID GROUP.KEY=VALUE... [--root DIR]
//     changes parameters the way the settings page does: the same checks, the same
//     change text, the same confirmation rule, the same carry-over of changed limits
//     into the current year's report files.
#pragma once

#include <QStringList>
#include <QTextStream>

enum ParamsStatus {
    kParamsOk = 0,           // read, or sent and confirmed
    kParamsFailed = 1,       // no usable reply, or the device did not confirm
    kParamsUsage = 2,        // bad command line, unknown device or parameter, or a check refused the values
    kParamsNoRegistry = 4,   // the registry could not be read
    kParamsHeadersLeft = 5,  // confirmed, but the new limits could not be written into every report file
};

bool isParamsCommand(const QStringList& args);
// args without the program name; out receives the JSON of --params; messages go to
// standard error.
int runParams(const QStringList& args, QTextStream& out);
