// Test programs run on Qt's offscreen platform with the C locale pinned, so that
// numbers use a point as decimal separator unless a test says otherwise.
#include <gtest/gtest.h>

#include <QApplication>

#include "app/ui/application.h"
#include "platform/dialogs.h"
#include "platform/shell.h"

namespace {
class QtEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("LC_ALL", "C");
        static int argc = 1;
        static char name[] = "termivo-tests";
        static char* argv[] = {name, nullptr};
        m_app = new QApplication(argc, argv);
        setUpApplication(*m_app);
        setDialogs(nullptr);  // tests install scripted dialogs per case
        setShell(nullptr);    // and a recording shell: nothing is opened on the desktop
    }
    void TearDown() override
    {
        delete m_app;
        m_app = nullptr;
    }

private:
    QApplication* m_app = nullptr;
};
}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);
    return RUN_ALL_TESTS();
}
