// A temporary root folder, the link reset to its start state, a recording observer,
// and the device emulator as a process.
#pragma once

#include <QElapsedTimer>

#include "app/programstate.h"
#include "link/devicelink.h"
#include "support/devsim.h"
#include "support/fixtures.h"

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
};

class LinkFixture : public RootFixture
{
protected:
    void SetUp() override
    {
        RootFixture::SetUp();
        deviceLink().reset();
        deviceLink().setObserver(&obs);
        Prog.tryCnt = 3;
        Prog.TimeOut1 = Prog.TimeOut2 = Prog.TimeOut3 = 500;
        deviceLink().setSettings(linkSettingsFrom(Prog));
        programState().stop.clear();
    }
    void TearDown() override
    {
        deviceLink().reset();
        deviceLink().setObserver(nullptr);
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
    DeviceLink& link = deviceLink();
};
