#include "views/about.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <QUrlQuery>

#include "app/programstate.h"
#include "app/records.h"

const QString kMakerSite = QStringLiteral("https://termivo.example/");
const QString kMakerMail = QStringLiteral("support@termivo.example");
const QString kProgramVersion = QStringLiteral("2.0 (98/11/5)");
const QString kHelpDocumentName = QStringLiteral("Software Help.pdf");

#ifndef TERMIVO_DOC_DIR
#define TERMIVO_DOC_DIR "/usr/share/doc/termivo"
#endif
const QString kInstalledDocDir = QStringLiteral(TERMIVO_DOC_DIR);

QString helpDocumentPath(const QString& rootDir, const QString& docDir)
{
    QString beside = rootDir + kHelpDocumentName;
    if (QFileInfo::exists(beside) || docDir.isEmpty()) return beside;
    const QString installed = QDir(docDir).filePath(kHelpDocumentName);
    return QFileInfo::exists(installed) ? installed : beside;
}
const QString kNoMailProgramMessage = QStringLiteral("برنامه ارسال ایمیل را پیدا نمی کنم");

QString helpDocumentNotOpenedMessage(const QString& path)
{
    // The path on a line of its own, so that it reads left to right in the box.
    return QStringLiteral("برنامه ای برای باز کردن فایل راهنما پیدا نمی کنم؛ فایل راهنما:\n") +
           QDir::toNativeSeparators(path);
}

QString programFolderNotOpenedMessage(const QString& path)
{
    return QStringLiteral("برنامه ای برای باز کردن پوشه برنامه پیدا نمی کنم؛ پوشه برنامه:\n") +
           QDir::toNativeSeparators(path);
}

namespace {
// A mail program takes a "mailto:" address of a few thousand characters at most.
constexpr int kMailLogLines = 40;
}  // namespace

QStringList editHistoryLines()
{
    const QString rule = QString(40, QLatin1Char('-'));
    struct Edit
    {
        const char16_t* date;
        QStringList changes;
    };
    const QList<Edit> edits = {
        {u"98/11/5", {QStringLiteral("افزودن سنسور فشار"), QStringLiteral("بهبود رابط گرافیکی")}},
        {u"97/8/20", {QStringLiteral("افزودن ارتباط شبکه با دستگاه ها"), QStringLiteral("جستجوی دستگاه ها در شبکه")}},
        {u"97/2/16", {QStringLiteral("نمایش آنلاین همه سنسورها در یک منحنی")}},
        {u"97/1/19", {QStringLiteral("افزودن تنظیمات کامل دستگاه"), QStringLiteral("ارسال کد شارژ و USSD")}},
        {u"96/12/14", {QStringLiteral("نمایش حداقل و حداکثر روزانه")}},
        {u"96/11/24", {QStringLiteral("افزودن توضیحات و سربرگ به منحنی")}},
        {u"96/11/15", {QStringLiteral("ذخیره جدول به صورت متن"), QStringLiteral("چاپ جدول")}},
        {u"96/11/14", {QStringLiteral("رفع اشکال خواندن اطلاعات")}},
        {u"96/4/17", {QStringLiteral("نسخه اول")}},
    };
    QStringList lines{QStringLiteral("تاریخچه ویرایش ها"), QString(40, QLatin1Char('='))};
    for (qsizetype i = 0; i < edits.size(); ++i) {
        if (i > 0) lines << rule;
        lines << QStringLiteral("ویرایش ") + QString::fromUtf16(edits[i].date);
        lines << edits[i].changes;
    }
    for (int i = 0; i < 7; ++i) lines << QString();
    return lines;
}

QStringList registrySummary(const ProgramState& state)
{
    QStringList lines;
    for (int d = 0; d <= state.DevLast && d < kMaxDevices; ++d) {
        const Device_Rec& dev = state.DevList[d];
        QStringList channels;
        for (int s = 0; s < 4; ++s)
            if (!dev.Sensor[s].Name.isEmpty()) channels << QStringLiteral("%1:%2").arg(s + 1).arg(dev.Sensor[s].Name);
        lines << QStringLiteral("%1 ID=%2 %3 [%4]").arg(dev.Name, dev.ID, dev.IP, channels.join(QLatin1Char(' ')));
    }
    return lines;
}

QString troubleshootingMailUrl(const QStringList& registry, const QStringList& logLines)
{
    QStringList body{QStringLiteral("Termivo %1").arg(kProgramVersion), QString(),
                     QStringLiteral("Devices (%1):").arg(registry.size())};
    body << registry;
    body << QString() << QStringLiteral("Message log:");
    body << logLines.mid(std::max<qsizetype>(0, logLines.size() - kMailLogLines));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("subject"), QStringLiteral("Termivo troubleshooting"));
    query.addQueryItem(QStringLiteral("body"), body.join(QStringLiteral("\r\n")));
    QUrl url(QStringLiteral("mailto:") + kMakerMail);
    url.setQuery(query);
    return url.toString(QUrl::FullyEncoded);
}
