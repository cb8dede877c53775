// The communication window on a temporary root folder with the program's windows,
// the device emulator as a process, and the desktop's "open" recorded.
#pragma once

#include <QTableWidget>

#include "config/ui/devicenamespage.h"
#include "link/devicelink.h"
#include "link/ui/form_comm.h"
#include "platform/shell.h"
#include "support/devsim.h"
#include "support/fixtures.h"
#include "support/windowsfixture.h"

class CommWindowFixture : public WindowsFixture
{
protected:
    void SetUp() override
    {
        WindowsFixture::SetUp();
        setShell(&desktop);
    }
    void TearDown() override
    {
        closeWindows();
        sim.stop();
        link().reset();
        setShell(nullptr);
        WindowsFixture::TearDown();
    }
    void startSim(const QString& deviceLines)
    {
        ASSERT_TRUE(sim.start(QStringLiteral("seed 7\n") + deviceLines, root())) << sim.output().toStdString();
    }
    // Writes the registry and creates the program's windows on it.
    void openCommWindow(const QStringList& registry)
    {
        if (!registry.isEmpty()) writeLines(path("DeviceStatus.txt"), registry);
        WindowsFixture::openWindows();
        commWindow()->show();
    }
    QString cell(int gridRow, int column) const
    {
        const QTableWidgetItem* i = commWindow()->TabSheet1->StringGrid1->item(gridRow - 1, column);
        return i ? i->text() : QString();
    }

    DevSim sim;
    RecordingShell desktop;  // the desktop's "open", recorded
};
