#include "views/exportprint_support.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>

QList<PdfWord> PdfText::find(int p, const QString& t) const
{
    QList<PdfWord> out;
    for (const PdfWord& w : words)
        if (w.page == p && w.text == t) out << w;
    return out;
}

ToolRun runTool(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000)) return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

PdfText pdfWords(const QString& file)
{
    PdfText t;
    const ToolRun r = runTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), file, QStringLiteral("-")});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    static const QRegularExpression page(QStringLiteral("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\">"));
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">(.*)</word>"));
    for (const QString& line : r.out.split(QLatin1Char('\n'))) {
        const auto pm = page.match(line);
        if (pm.hasMatch()) t.pages << PdfPage{pm.captured(1).toDouble(), pm.captured(2).toDouble()};
        const auto wm = word.match(line);
        if (wm.hasMatch() && !t.pages.isEmpty()) {
            const double x0 = wm.captured(1).toDouble(), y0 = wm.captured(2).toDouble();
            const double x1 = wm.captured(3).toDouble(), y1 = wm.captured(4).toDouble();
            QString text = wm.captured(5);
            text.replace(QStringLiteral("&amp;"), QStringLiteral("&"))
                .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
                .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
                .replace(QStringLiteral("&quot;"), QStringLiteral("\""));
            t.words << PdfWord{static_cast<int>(t.pages.size()) - 1, text, QRectF(x0, y0, x1 - x0, y1 - y0)};
        }
    }
    return t;
}
