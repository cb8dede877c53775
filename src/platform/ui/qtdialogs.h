// The Qt implementation of the dialogs interface: message boxes centred on the
// screen, right to left.
#pragma once

#include "platform/dialogs.h"

class QtDialogs : public Dialogs
{
public:
    void message(const QString& text) override;
    void error(const QString& text) override;
    bool confirm(const QString& caption, const QString& text) override;
    std::optional<QString> input(const QString& caption, const QString& prompt, const QString& value) override;
    QString openFile(const QString& caption, const QString& filter, const QString& initial) override;
    QString saveFile(const QString& caption, const QString& filter, const QString& initial) override;
    bool printSetup(PrintSetup& setup) override;
    int choose(const QString& caption, const QString& text, const QStringList& buttons) override;
};
