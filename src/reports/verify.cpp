#include "reports/verify.h"

#include <algorithm>
#include <set>
#include <thread>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include "app/commandline.h"
#include "app/rootdir.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/textfile.h"

namespace {

using Kind = VerifyFinding::Kind;

const QString kMode = QStringLiteral("--verify");

QString tr(const char* text)
{
    return QCoreApplication::translate("Termivo", text);
}

bool isYearFolderName(const QString& name)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,2}$"));
    return digits.match(name).hasMatch();
}

// Whether a journalled file lies in the year folder yy of the root folder.
bool inYear(const QString& fileKey, std::optional<int> yy)
{
    if (!yy) return true;
    const qsizetype slash = fileKey.indexOf(QLatin1Char('/'));
    if (slash <= 0 || fileKey.startsWith(QLatin1Char('/'))) return false;
    const QString folder = fileKey.left(slash);
    return isYearFolderName(folder) && folder.toInt() == *yy;
}

QString filePathOf(const QString& root, const QString& fileKey)
{
    if (QDir::isAbsolutePath(fileKey)) return fileKey;
    QString r = root;
    if (!r.endsWith(QLatin1Char('/'))) r += QLatin1Char('/');
    return r + fileKey;
}

using DayKey = std::pair<int, int>;

// The digests of day lines by their day, each day's sorted.
std::map<DayKey, std::vector<QString>> byDay(const std::vector<DayDigest>& days)
{
    std::map<DayKey, std::vector<QString>> out;
    for (const auto& d : days) out[{d.month, d.day}].push_back(d.sha);
    for (auto& [key, shas] : out) std::sort(shas.begin(), shas.end());
    return out;
}

// a minus b, both sorted (multisets).
std::vector<QString> minus(const std::vector<QString>& a, const std::vector<QString>& b)
{
    std::vector<QString> out;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
    return out;
}

std::vector<QString> sorted(std::vector<QString> v)
{
    std::sort(v.begin(), v.end());
    return v;
}

std::vector<DayDigest> sortedDays(std::vector<DayDigest> v)
{
    std::sort(v.begin(), v.end(), [](const DayDigest& a, const DayDigest& b) {
        return std::tie(a.month, a.day, a.sha) < std::tie(b.month, b.day, b.sha);
    });
    return v;
}

// The journal lines that journal.torn entries accepted, with the digest each named.
std::map<int, QString> acceptedLines(const JournalScan& scan)
{
    std::map<int, QString> accepted;
    for (const auto& line : scan.lines) {
        if (!line.entry) continue;
        const auto& e = *line.entry;
        if (e.value("kind", std::string()) != "journal.torn") continue;
        const auto details = e.find("details");
        if (details == e.end() || !details->is_object()) continue;
        const auto n = details->find("line");
        const auto sha = details->find("sha");
        if (n == details->end() || !n->is_number_integer() || sha == details->end() || !sha->is_string()) continue;
        // Only a later entry can accept a line.
        if (n->get<int>() < line.number) accepted[n->get<int>()] = QString::fromStdString(sha->get<std::string>());
    }
    return accepted;
}

QString dayText(int month, int day)
{
    return QStringLiteral("%1/%2").arg(month).arg(day);
}

const char* kindName(Kind kind)
{
    switch (kind) {
        case Kind::DayChanged:
            return "day-changed";
        case Kind::DayRemoved:
            return "day-removed";
        case Kind::DayAdded:
            return "day-added";
        case Kind::RemarkChanged:
            return "remark-changed";
        case Kind::RemarkRemoved:
            return "remark-removed";
        case Kind::RemarkAdded:
            return "remark-added";
        case Kind::HeaderChanged:
            return "header-changed";
        case Kind::FileRemoved:
            return "file-removed";
        case Kind::FileUnreadable:
            return "file-unreadable";
        case Kind::ChainBreak:
            return "chain-break";
        case Kind::DamagedLine:
            return "damaged-line";
        case Kind::TornLastLine:
            return "torn-last-line";
        case Kind::NotJournalled:
            return "not-journalled";
        case Kind::AcceptedLine:
            return "accepted-line";
        case Kind::UnfinishedWrite:
            return "unfinished-write";
    }
    return "";
}

}  // namespace

bool VerifyFinding::isNote() const
{
    return kind == Kind::NotJournalled || kind == Kind::AcceptedLine;
}

int VerifyResult::differences() const
{
    return int(std::count_if(findings.begin(), findings.end(), [](const auto& f) { return !f.isNote(); }));
}

int VerifyResult::notes() const
{
    return int(findings.size()) - differences();
}

int VerifyResult::status() const
{
    if (!journalExists && files.isEmpty()) return kVerifyNothing;
    return differences() ? kVerifyDifference : kVerifyMatches;
}

QStringList yearFolderReportFiles(const QString& root, std::optional<int> yy)
{
    QStringList keys;
    const QDir dir(root);
    for (const QString& folder : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (!isYearFolderName(folder) || (yy && folder.toInt() != *yy)) continue;
        const QDir year(dir.filePath(folder));
        for (const QString& name : year.entryList({QStringLiteral("*.rep")}, QDir::Files))
            keys << folder + QLatin1Char('/') + name;
    }
    keys.sort();
    return keys;
}

std::vector<VerifyFinding> compareReportFile(const QString& fileKey, const std::optional<QStringList>& lines,
                                             const JournalledReport* journalled)
{
    std::vector<VerifyFinding> out;
    if (!journalled) {
        if (lines) out.push_back({Kind::NotJournalled, fileKey});
        return out;
    }
    if (!lines) {
        // A file whose only write was cut short before its rename never came to be.
        const bool createdOnly = journalled->headers.size() == 1 && journalled->remarks.empty() &&
                                 sortedDays(journalled->days) == sortedDays(journalled->lastWrite);
        out.push_back({createdOnly ? Kind::UnfinishedWrite : Kind::FileRemoved, fileKey});
        return out;
    }
    const ReportDigest digest = digestReportLines(*lines);

    // The day lines, per day as multisets: a day downloaded twice counts twice.
    const auto expected = byDay(journalled->days);
    const auto found = byDay(digest.days);
    std::vector<DayDigest> removed, added;
    auto it = expected.begin();
    auto jt = found.begin();
    static const std::vector<QString> none;
    while (it != expected.end() || jt != found.end()) {
        DayKey key;
        if (jt == found.end() || (it != expected.end() && it->first < jt->first))
            key = it->first;
        else
            key = jt->first;
        const auto& e = it != expected.end() && it->first == key ? it->second : none;
        const auto& f = jt != found.end() && jt->first == key ? jt->second : none;
        if (e != f) {
            for (const auto& sha : minus(e, f)) removed.push_back({key.first, key.second, sha});
            for (const auto& sha : minus(f, e)) added.push_back({key.first, key.second, sha});
        }
        if (it != expected.end() && it->first == key) ++it;
        if (jt != found.end() && jt->first == key) ++jt;
    }

    const bool headerMatches = journalled->headers.empty() || journalled->headers.back().header == digest.header;
    // A header rewrite that no later write found in the file, and the file still has the
    // header from before it: that rewrite's entry went out and its rename did not.
    const bool headerRewriteCutShort = !headerMatches && journalled->pendingHeaderRewrite &&
                                       journalled->headers.size() >= 2 &&
                                       journalled->headers[journalled->headers.size() - 2].header == digest.header;
    if (headerRewriteCutShort) {
        VerifyFinding f{Kind::UnfinishedWrite, fileKey};
        f.line = journalled->pendingHeaderRewrite;
        out.push_back(f);
    } else if (!headerMatches)
        out.push_back({Kind::HeaderChanged, fileKey, 0, 0, 0, journalled->headers.back().header, digest.header});

    // The remarks, as a multiset too; a remark's place is its place among the file's.
    const auto expectedRemarks = sorted(journalled->remarks);
    const auto foundRemarks = sorted(std::vector<QString>(digest.remarks.begin(), digest.remarks.end()));
    const auto remarksRemoved = minus(expectedRemarks, foundRemarks);
    auto remarksAdded = minus(foundRemarks, expectedRemarks);

    // The file is as it was before the last download: that download's entry was written
    // and its file write cut short.
    if (!removed.empty() && headerMatches && remarksRemoved.empty() && remarksAdded.empty() &&
        journalled->lastDownload && !journalled->lastDownload->created) {
        if (byDay(daysBeforeLastDownload(*journalled)) == found) {
            VerifyFinding f{Kind::UnfinishedWrite, fileKey, removed.front().month, removed.front().day};
            f.line = journalled->lastDownload->line;
            out.push_back(f);
            return out;
        }
    }

    // Per day: a removed and an added line pair up as one changed line.
    std::map<DayKey, std::pair<std::vector<QString>, std::vector<QString>>> perDay;
    for (const auto& d : removed) perDay[{d.month, d.day}].first.push_back(d.sha);
    for (const auto& d : added) perDay[{d.month, d.day}].second.push_back(d.sha);
    for (const auto& [key, shas] : perDay) {
        const auto& [gone, extra] = shas;
        const size_t paired = std::min(gone.size(), extra.size());
        for (size_t i = 0; i < paired; ++i)
            out.push_back({Kind::DayChanged, fileKey, key.first, key.second, 0, gone[i], extra[i]});
        for (size_t i = paired; i < gone.size(); ++i)
            out.push_back({Kind::DayRemoved, fileKey, key.first, key.second, 0, gone[i], {}});
        for (size_t i = paired; i < extra.size(); ++i)
            out.push_back({Kind::DayAdded, fileKey, key.first, key.second, 0, {}, extra[i]});
    }

    // Remarks by their place in the file.
    std::vector<std::pair<int, QString>> addedPlaces;
    for (qsizetype i = 0; i < digest.remarks.size(); ++i) {
        const auto at = std::lower_bound(remarksAdded.begin(), remarksAdded.end(), digest.remarks[i]);
        if (at == remarksAdded.end() || *at != digest.remarks[i]) continue;
        addedPlaces.emplace_back(int(i + 1), *at);
        remarksAdded.erase(at);
    }
    const size_t paired = std::min(remarksRemoved.size(), addedPlaces.size());
    for (size_t i = 0; i < paired; ++i)
        out.push_back(
            {Kind::RemarkChanged, fileKey, 0, 0, addedPlaces[i].first, remarksRemoved[i], addedPlaces[i].second});
    for (size_t i = paired; i < remarksRemoved.size(); ++i)
        out.push_back({Kind::RemarkRemoved, fileKey, 0, 0, 0, remarksRemoved[i], {}});
    for (size_t i = paired; i < addedPlaces.size(); ++i)
        out.push_back({Kind::RemarkAdded, fileKey, 0, 0, addedPlaces[i].first, {}, addedPlaces[i].second});
    return out;
}

std::vector<VerifyFinding> checkJournalChain(const JournalScan& scan)
{
    std::vector<VerifyFinding> out;
    if (scan.chainBreak) {
        VerifyFinding f{Kind::ChainBreak};
        f.line = scan.chainBreak;
        out.push_back(f);
    }
    const auto accepted = acceptedLines(scan);
    const int last = int(scan.lines.size());
    for (const int n : scan.damaged) {
        VerifyFinding f{Kind::DamagedLine};
        f.line = n;
        const auto a = accepted.find(n);
        if (a != accepted.end() && n >= 1 && n <= last &&
            a->second == QString::fromLatin1(scan.lines[size_t(n - 1)].digest))
            f.kind = Kind::AcceptedLine;
        else if (scan.tornLast && n == last)
            f.kind = Kind::TornLastLine;
        out.push_back(f);
    }
    return out;
}

VerifyResult verifyRoot(const QString& root, const JournalScan& scan, std::optional<int> yy)
{
    VerifyResult result;
    result.journalExists = scan.exists;
    result.chainBreak = scan.chainBreak;
    result.damaged = scan.damaged;
    result.tornLast = scan.tornLast;
    result.journalLines = int(scan.lines.size());

    const auto journalled = replayReportEntries(scan);
    std::set<QString> keys;
    for (const QString& k : yearFolderReportFiles(root, yy)) keys.insert(k);
    for (const auto& [key, report] : journalled)
        if (inYear(key, yy)) keys.insert(key);

    for (const QString& key : keys) result.files << key;
    // The files are read and compared on as many threads as the machine has.
    std::vector<std::vector<VerifyFinding>> perFile(keys.size());
    auto check = [&](qsizetype i) {
        const QString& key = result.files[i];
        const QString path = filePathOf(root, key);
        const auto j = journalled.find(key);
        const JournalledReport* report = j == journalled.end() ? nullptr : &j->second;
        std::optional<QStringList> lines;
        if (QFileInfo::exists(path)) {
            try {
                lines = readTextFile(path).lines;
            } catch (const FileError& e) {
                perFile[size_t(i)].push_back({Kind::FileUnreadable, key, 0, 0, 0, {}, e.text()});
                return;
            }
        }
        perFile[size_t(i)] = compareReportFile(key, lines, report);
    };
    const qsizetype threads = std::clamp<qsizetype>(result.files.size() / 16, 1,
                                                    qsizetype(std::max(1u, std::thread::hardware_concurrency())));
    std::vector<std::thread> workers;
    for (qsizetype t = 0; t < threads; ++t)
        workers.emplace_back([&, t] {
            for (qsizetype i = t; i < result.files.size(); i += threads) check(i);
        });
    for (auto& w : workers) w.join();
    for (auto& found : perFile) result.findings.insert(result.findings.end(), found.begin(), found.end());
    auto chain = checkJournalChain(scan);
    result.findings.insert(result.findings.end(), chain.begin(), chain.end());
    return result;
}

VerifyResult verifyRoot(const QString& root, std::optional<int> yy)
{
    return verifyRoot(root, scanJournal(journalPath(root)), yy);
}

AdoptResult adoptUnjournalled(AuditJournal& journal, const QString& root, std::optional<int> yy)
{
    AdoptResult done;
    const JournalScan scan = scanJournal(journal.path());
    const auto accepted = acceptedLines(scan);
    for (const int n : scan.damaged) {
        const QByteArray& digest = scan.lines[size_t(n - 1)].digest;
        const auto a = accepted.find(n);
        if (a != accepted.end() && a->second == QString::fromLatin1(digest)) continue;
        journal.append(QStringLiteral("journal.torn"), {{"line", n}, {"sha", digest.toStdString()}});
        done.lines.push_back(n);
    }
    const auto journalled = replayReportEntries(scan);
    for (const QString& key : yearFolderReportFiles(root, yy)) {
        if (journalled.count(key)) continue;
        TextFile file;
        try {
            file = readTextFile(filePathOf(root, key));
        } catch (const FileError&) {
            continue;  // the check names it as unreadable
        }
        journal.append(QStringLiteral("report.adopt"),
                       reportAdoptDetails(key, kAdoptByVerify, digestReportLines(file.lines)));
        done.files << key;
    }
    return done;
}

QString findingText(const VerifyFinding& f)
{
    const QString day =
        f.month == 0 && f.day == 0 ? tr("a line that is not a day line") : tr("day %1").arg(dayText(f.month, f.day));
    switch (f.kind) {
        case Kind::DayChanged:
            return tr("%1: %2 was changed outside the program").arg(f.file, day);
        case Kind::DayRemoved:
            return tr("%1: %2 was removed outside the program").arg(f.file, day);
        case Kind::DayAdded:
            return tr("%1: %2 was added outside the program").arg(f.file, day);
        case Kind::RemarkChanged:
            return tr("%1: remark %2 was changed outside the program").arg(f.file).arg(f.line);
        case Kind::RemarkRemoved:
            return tr("%1: a remark was removed outside the program").arg(f.file);
        case Kind::RemarkAdded:
            return tr("%1: remark %2 was added outside the program").arg(f.file).arg(f.line);
        case Kind::HeaderChanged:
            return tr("%1: the header is not the one last journalled: journalled \"%2\", found \"%3\"")
                .arg(f.file, f.expected, f.found);
        case Kind::FileRemoved:
            return tr("%1: removed: the journal has entries for it but the file does not exist").arg(f.file);
        case Kind::FileUnreadable:
            return tr("%1: cannot be read: %2").arg(f.file, f.found);
        case Kind::ChainBreak:
            return tr("%1 line %2: the chain breaks here: a line before it was edited, removed or reordered")
                .arg(kJournalFileName)
                .arg(f.line);
        case Kind::DamagedLine:
            return tr("%1 line %2: damaged: the line is not a journal entry").arg(kJournalFileName).arg(f.line);
        case Kind::TornLastLine:
            return tr("%1 line %2: the last line is cut off").arg(kJournalFileName).arg(f.line);
        case Kind::NotJournalled:
            return tr("%1: not journalled (made before the journal; \"--verify --adopt\" takes it as it stands)")
                .arg(f.file);
        case Kind::AcceptedLine:
            return tr("%1 line %2: damaged, accepted by \"--verify --adopt\"").arg(kJournalFileName).arg(f.line);
        case Kind::UnfinishedWrite:
            return tr("%1: the days of the last download (journal line %2) are not in the file: its write was cut "
                      "short")
                .arg(f.file)
                .arg(f.line);
    }
    return {};
}

QString verifyText(const VerifyResult& result)
{
    QString text;
    for (const auto& f : result.findings) text += findingText(f) + QLatin1Char('\n');
    const int d = result.differences();
    const int n = result.notes();
    text += tr("%1 report files and %2 journal lines checked: %3 differences, %4 notes: %5")
                .arg(result.files.size())
                .arg(result.journalLines)
                .arg(d)
                .arg(n)
                .arg(d ? tr("the records differ from the audit journal") : tr("the records match the audit journal")) +
            QLatin1Char('\n');
    return text;
}

nlohmann::ordered_json verifyJson(const VerifyResult& result)
{
    using json = nlohmann::ordered_json;
    std::map<QString, QString> fileStatus;
    for (const QString& f : result.files) fileStatus[f] = QStringLiteral("matches");
    for (const auto& f : result.findings) {
        if (f.file.isEmpty()) continue;
        QString& s = fileStatus[f.file];
        if (f.kind == Kind::NotJournalled)
            s = QStringLiteral("not journalled");
        else if (f.kind == Kind::FileRemoved)
            s = QStringLiteral("removed");
        else if (f.kind == Kind::FileUnreadable)
            s = QStringLiteral("unreadable");
        else if (!f.isNote())
            s = QStringLiteral("differs");
    }
    json files = json::array();
    for (const QString& f : result.files)
        files.push_back({{"file", f.toStdString()}, {"status", fileStatus[f].toStdString()}});
    json findings = json::array();
    for (const auto& f : result.findings) {
        json j;
        j["kind"] = kindName(f.kind);
        j["note"] = f.isNote();
        if (!f.file.isEmpty()) j["file"] = f.file.toStdString();
        if (f.month || f.day) j["day"] = dayText(f.month, f.day).toStdString();
        if (f.line) j["line"] = f.line;
        if (!f.expected.isEmpty()) j["expected"] = f.expected.toStdString();
        if (!f.found.isEmpty()) j["found"] = f.found.toStdString();
        j["text"] = findingText(f).toStdString();
        findings.push_back(std::move(j));
    }
    json doc;
    doc["status"] = result.status();
    doc["files"] = std::move(files);
    doc["findings"] = std::move(findings);
    doc["journal"] = {{"exists", result.journalExists},
                      {"lines", result.journalLines},
                      {"chainBreak", result.chainBreak ? json(result.chainBreak) : json(nullptr)},
                      {"damaged", result.damaged},
                      {"tornLast", result.tornLast}};
    doc["counts"] = {{"files", result.files.size()}, {"differences", result.differences()}, {"notes", result.notes()}};
    return doc;
}

QStringList differingDays(const QString& root, const QString& path, const QStringList& lines)
{
    QStringList days;
    if (!QFileInfo::exists(journalPath(root))) return days;
    const QString key = journalFileKey(root, path);
    const auto journalled = replayReportEntries(scanJournal(journalPath(root)));
    const auto it = journalled.find(key);
    if (it == journalled.end()) return days;
    for (const auto& f : compareReportFile(key, lines, &it->second)) {
        if (f.kind != Kind::DayChanged && f.kind != Kind::DayRemoved && f.kind != Kind::DayAdded) continue;
        const QString day = dayText(f.month, f.day);
        if (!days.contains(day)) days << day;
    }
    return days;
}

QString verifyHelp()
{
    return QStringLiteral(
        "usage: termivo --verify [--root DIR] [--year YY] [--format text|json] [--adopt]\n"
        "Checks the report files of the root folder's year folders against the audit journal\n"
        "(audit.jsonl): day lines, remarks and headers changed, removed or added outside the program,\n"
        "journalled files that no longer exist, and the journal's own chain (a line edited, removed,\n"
        "reordered, damaged or cut off). A file the journal has no entry for is a note, not a\n"
        "difference.\n"
        "  --root DIR          the root folder (default: the folder of the executable)\n"
        "  --year YY           only the year folder YY (0..99)\n"
        "  --format text|json  one line per finding and a summary line (default), or one JSON document\n"
        "  --adopt             first journal the files that have no entry as they stand, and accept the\n"
        "                      damaged journal lines; journalled files are not touched\n"
        "Exit status: 0 everything matches (notes allowed), 1 a difference (or the journal cannot be\n"
        "read or written), 2 bad command line, 4 no journal and no report file.\n");
}

int runVerify(const QStringList& args, QTextStream& out, QTextStream& err)
{
    std::optional<int> yy;
    QString root;
    bool json = false;
    bool adopt = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == kMode) continue;
        if (a == QLatin1String("--adopt")) {
            adopt = true;
            continue;
        }
        const bool takesValue =
            a == QLatin1String("--root") || a == QLatin1String("--year") || a == QLatin1String("--format");
        if (!takesValue) return commandUsageError(err, kMode, QStringLiteral("unknown option \"%1\"").arg(a));
        if (i + 1 >= args.size()) return commandUsageError(err, kMode, QStringLiteral("%1 needs a value").arg(a));
        const QString& v = args[++i];
        if (a == QLatin1String("--root")) {
            root = v;
        } else if (a == QLatin1String("--year")) {
            if (!isYearFolderName(v))
                return commandUsageError(err, kMode,
                                         QStringLiteral("--year needs a two-digit year 0..99, not \"%1\"").arg(v));
            yy = v.toInt();
        } else if (v == QLatin1String("text") || v == QLatin1String("json")) {
            json = v == QLatin1String("json");
        } else {
            return commandUsageError(err, kMode, QStringLiteral("--format is text or json, not \"%1\"").arg(v));
        }
    }
    if (!root.isEmpty())
        if (const int status = useRootFolder(root, kMode, err)) return status;
    const QString rootDir = computeRootDir();

    VerifyResult result;
    try {
        if (adopt && (QFileInfo::exists(journalPath(rootDir)) || !yearFolderReportFiles(rootDir, yy).isEmpty())) {
            AuditJournal journal(rootDir);
            const AdoptResult done = adoptUnjournalled(journal, rootDir, yy);
            for (const int n : done.lines)
                err << QStringLiteral("termivo: journal line %1 accepted as it stands\n").arg(n);
            for (const QString& f : done.files) err << QStringLiteral("termivo: %1 adopted as it stands\n").arg(f);
        }
        result = verifyRoot(rootDir, yy);
    } catch (const std::exception& e) {
        err << "termivo: " << consoleText(errorText(e)) << "\n";
        err.flush();
        return kVerifyDifference;
    }
    if (result.status() == kVerifyNothing) {
        err << QStringLiteral("termivo: no audit journal and no report file in \"%1\"\n")
                   .arg(QDir::toNativeSeparators(rootDir));
        err.flush();
        return kVerifyNothing;
    }
    if (json)
        out << QString::fromStdString(verifyJson(result).dump(2)) << "\n";
    else
        out << verifyText(result);
    out.flush();
    err.flush();
    return result.status();
}
