#include "support/windowsfixture.h"

#include <QPushButton>

#include "online/ui/form_show.h"

WindowsFixture::OnlineWindowCloser::OnlineWindowCloser(WindowsFixture& f)
{
    QObject::connect(&m_timer, &QTimer::timeout, [this, &f] {
        TForm_Show* online = f.onlineWindow();
        if (!online || !online->isVisible()) return;
        m_shown = true;
        online->Button1->click();
    });
    m_timer.start(5);
}
