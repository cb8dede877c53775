// The error boundary: every handler connection goes through connectGuarded, an error
// in a handler shows the standard error box, and the window keeps working.
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>

#include "app/ledger.h"
#include "app/registry.h"
#include "config/ui/periodstartbox.h"
#include "platform/errors.h"
#include "platform/guardedconnect.h"
#include "platform/shell.h"
#include "support/fixtures.h"

namespace {

using ErrorBoundary = RootFixture;

TEST_F(ErrorBoundary, AHandlerErrorShowsTheErrorBoxAndTheNextSignalIsHandledAgain)
{
    QPushButton button;
    QComboBox list;
    list.addItems({"a", "b", "c"});
    int calls = 0;
    int picked = -1;
    connectGuarded(&button, &QPushButton::clicked, &button, [&] {
        if (++calls == 1) throw FileError(QStringLiteral("Cannot write x.rep"));
    });
    // A handler takes the signal's first arguments that it needs, a member function too.
    connectGuarded(&list, &QComboBox::activated, &list, [&](int index) {
        picked = index;
        throw ConvertError(QStringLiteral("'%1' is not a valid integer value").arg(index));
    });
    connectGuarded(&list, &QComboBox::activated, &list, &QComboBox::setCurrentIndex);

    dlg.expect(Kind::Error, "Cannot write x.rep").expect(Kind::Error, "'2' is not a valid integer value");
    button.click();
    button.click();  // no error the second time, no box
    emit list.activated(2);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(picked, 2);
    EXPECT_EQ(list.currentIndex(), 2);  // the member handler ran after the failing one
    EXPECT_EQ(dlg.texts(Kind::Error).size(), 2);
}

TEST_F(ErrorBoundary, APeriodStartThatCannotWriteTheLedgerIsReportedAndTheBoxStillWorks)
{
    writeLines(path("DeviceStatus.txt"), {"device  =Cold room,COM1,Freezer,,,,A,T,lan,"});
    loadRegistry(state());
    ASSERT_TRUE(QDir(root()).mkdir("last_refresh.txt"));  // a folder where the ledger goes
    RecordingShell desktop;
    setShell(&desktop);
    PeriodStartBox box(state());
    box.CB_Year->setEditText("1402");
    box.CB_Mon->setEditText("12");
    box.CB_Day->setEditText("1");
    dlg.expect(Kind::Error, "last_refresh.txt");
    box.Button3->click();
    ASSERT_EQ(dlg.texts(Kind::Error).size(), 1);

    ASSERT_TRUE(QDir(root()).rmdir("last_refresh.txt"));
    dlg.expect(Kind::Message, "لطفا در صورت وجود پوشه سال جاری")
        .expect(Kind::Message, "تغییرات ذخیره شد لطفا برنامه را بسته");
    box.Button3->click();
    EXPECT_TRUE(ledgerExists(state().Prog.RootDir));
    EXPECT_EQ(desktop.opened, QStringList{root()});
    setShell(nullptr);
}

// Every connection of a window's signal to a handler goes through connectGuarded (or a
// timer through guardedHandler). What is listed here connects something that is not a
// handler: a signal that only ends a local event loop, a lambda that only stores a value.
struct Allowed
{
    const char* file;
    const char* text;  // a part of the connecting statement
    const char* why;
};
const Allowed kNotHandlers[] = {
    {"src/online/ui/form_show.cpp", "&QDialog::finished, &loop, &QEventLoop::quit", "ends the modal loop"},
    {"src/link/serialtransport.cpp", "&SerialPortControl::portLost", "only stores why the port went away"},
};

TEST(HandlerConnections, EveryHandlerConnectionOfTheWindowsIsGuarded)
{
    const QString top = QStringLiteral(TERMIVO_SOURCE_DIR "/");
    QStringList files;
    QDirIterator it(top + "src", {"*.cpp", "*.h"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString rel = it.next().mid(top.size());
        // The windows, and the link whose timers, port and sockets call handlers of their own.
        if (rel.contains("/ui/") || rel.startsWith("src/link/")) files << rel;
    }
    ASSERT_GT(files.size(), 10);

    // connect( without Guarded before it, and a timer's single shot without guardedHandler.
    const QRegularExpression plainConnect(QStringLiteral(R"((?<![A-Za-z_])connect\s*\()"));
    const QRegularExpression singleShot(QStringLiteral(R"(singleShot\s*\()"));
    QStringList unguarded;
    int allowedSeen = 0;
    for (const QString& rel : files) {
        QFile f(top + rel);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << rel.toStdString();
        const QStringList lines = QString::fromUtf8(f.readAll()).split('\n');
        for (int i = 0; i < lines.size(); ++i) {
            const QString& line = lines[i];
            if (line.trimmed().startsWith("//")) continue;
            const bool timer = line.contains(singleShot) && !line.contains("guardedHandler(");
            if (!line.contains(plainConnect) && !timer) continue;
            // The statement, up to its semicolon.
            QString statement = line;
            for (int j = i + 1; j < lines.size() && !statement.contains(';'); ++j) statement += lines[j];
            bool allowed = false;
            for (const Allowed& a : kNotHandlers)
                if (rel == QLatin1String(a.file) && statement.contains(QLatin1String(a.text))) allowed = true;
            if (allowed)
                ++allowedSeen;
            else
                unguarded << QStringLiteral("%1:%2: %3").arg(rel).arg(i + 1).arg(line.trimmed());
        }
    }
    EXPECT_TRUE(unguarded.isEmpty()) << "handler connections outside the error boundary (use connectGuarded):\n"
                                     << unguarded.join('\n').toStdString();
    // An entry of the list that matches nothing any more is taken out of it.
    EXPECT_EQ(allowedSeen, int(std::size(kNotHandlers)));
}

}  // namespace
