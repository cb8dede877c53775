// Test fixtures: a temporary root folder with fresh global state, and scripted
// dialogs that fail the test on an unexpected box or an unused prepared answer.
#pragma once

#include <functional>
#include <gtest/gtest.h>
#include <memory>

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "app/programstate.h"
#include "link/devicelink.h"
#include "platform/dialogs.h"

using Kind = ScriptedDialogs::Kind;

// Writes bytes to root + name (folders created as needed).
void writeFileBytes(const QString& path, const QByteArray& bytes);
// Writes lines joined by CR LF in Windows-1256.
void writeLines(const QString& path, const QStringList& lines);
QByteArray readFileBytes(const QString& path);
// Every report file and the ledger under root (which ends in "/"), by their path below it.
QMap<QString, QByteArray> recordFiles(const QString& root);
QStringList readLines(const QString& path);

// The clock that download tests fix for the program (setProgramNowForTests): the
// middle of a Solar Hijri year, so that a span of days back from it never crosses
// the new year, whatever day the tests run on.
QDateTime fixedTestNow();
// The same moment as "YYYY-MM-DDTHH:MM": for the program run as a process
// (TERMIVO_NOW=) and for the emulator's device clock (clock-at=).
QString fixedTestNowText();

// A run of the program as a process: its exit status (-1 when it crashed or was
// killed), standard output and standard error.
struct ProgramRun
{
    int code = -1;
    QString out;
    QString err;
};
// How a test runs the program: the variables to set in its environment (a locale,
// another moment, ...), another program in place of the built termivo, the time after
// which it counts as hung, standard error merged into standard output, and the
// folder it starts in.
struct ProgramRunOptions
{
    QList<QPair<QString, QString>> env = {};
    QString program = {};
    int timeoutMs = 60000;
    bool mergeOutput = false;
    QString workingDir = {};
};
// Runs the program with args at the tests' fixed moment (TERMIVO_NOW, unless the
// options set another), without any display (no DISPLAY, WAYLAND_DISPLAY or
// QT_QPA_PLATFORM) and without the caller's TERMIVO_ROOT; a run still going after the time out is killed and is a test
// failure.
ProgramRun runTermivo(const QStringList& args, const ProgramRunOptions& options = {});

class RootFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // The root folder, ending in "/".
    QString root() const { return m_root; }
    QString path(const QString& name) const { return m_root + name; }

    // The program state and the device link the case works with, as a fresh process
    // has them: code under test is given these.
    ProgramState& state() { return m_state; }
    DeviceLink& link() { return *m_link; }

    ScriptedDialogs dlg;

private:
    QTemporaryDir m_dir;
    QString m_root;
    ProgramState m_state;
    std::unique_ptr<DeviceLink> m_link = std::make_unique<DeviceLink>(m_state.stop);
};

// Changes some of the link's settings (it takes them whole).
void changeLinkSettings(DeviceLink& link, const std::function<void(LinkSettings&)>& change);

// While alive, no file of the process may grow past maxBytes: a write beyond that
// fails as on a full disk (the signal is ignored, the write returns an error).
class FileSizeLimit
{
public:
    explicit FileSizeLimit(long maxBytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    unsigned long m_oldSoft = 0;
    void (*m_oldHandler)(int) = nullptr;
};

// Readable failure messages for Qt texts.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& l, std::ostream* os)
{
    *os << '[' << l.join(QStringLiteral("|")).toStdString() << ']';
}

// Runs a fuzz target's entry point over every file of its committed corpus
// fuzz/corpus/<name>/; each input must give 0.
void replayCorpus(const QString& name, int (*target)(const uint8_t*, size_t));
