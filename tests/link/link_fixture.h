// A temporary root folder, the link reset to its start state, a recording observer,
// and the device emulator as a process.
#pragma once

#include <QElapsedTimer>

#include "app/programstate.h"
#include "link/devicelink.h"
#include "support/devsim.h"
#include "support/fixtures.h"

// Messages go to the dialogs layer, as the communication window shows them.
struct RecordingObserver : LinkObserver
{
    QStringList sent, json, ussd, status, captions, reports;
    QString labels[3];
    int busy = 0;
    void sendLine(const QString& f) override { sent << f; }
    void jsonLine(const QString& l) override { json << l; }
    void clearJson() override { json.clear(); }
    void ussdLine(const QString& a) override { ussd << a; }
    void statusText(const QString& t) override { status << t; }
    void captionText(const QString& t) override { captions << t; }
    void busyCursor(bool on) override { busy += on ? 1 : -1; }
    void waitLabel(WaitLabel w, const QString& t) override { labels[int(w)] = t; }
    void reportLine(const QString& l) override { reports << l; }
    void message(const QString& t) override { dialogs().message(t); }
};

class LinkFixture : public RootFixture
{
protected:
    void SetUp() override
    {
        RootFixture::SetUp();
        link.setObserver(&obs);
        program_rec& prog = state().Prog;
        prog.tryCnt = 3;
        prog.TimeOut1 = prog.TimeOut2 = prog.TimeOut3 = 500;
        link.setSettings(linkSettingsFrom(prog));
    }
    void TearDown() override
    {
        link.reset();
        link.setObserver(nullptr);
        EXPECT_EQ(obs.busy, 0) << "busy cursor left on";
        sim.stop();
        RootFixture::TearDown();
    }
    // Starts the emulator with the given device lines (and "seed 7").
    void startSim(const QString& deviceLines, const QStringList& args = {})
    {
        ASSERT_TRUE(sim.start(QStringLiteral("seed 7\n") + deviceLines, root(), args)) << sim.output().toStdString();
    }
    static Device_Rec device(const QString& id, const QString& link)
    {
        Device_Rec d;
        d.ID = id;
        d.IP = link;
        return d;
    }

    RecordingObserver obs;
    DevSim sim;
    DeviceLink& link = RootFixture::link();
};
