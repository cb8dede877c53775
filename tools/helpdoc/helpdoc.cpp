// termivo-helpdoc: turns the help text (HTML with pictures beside it) into the help
// document "Software Help.pdf" that lies beside the program.
//   termivo-helpdoc HELP.html OUT.pdf
#include <cstdio>

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextDocument>
#include <QTextOption>
#include <QUrl>

#include "app/ui/application.h"
#include "platform/textfile.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    setUpApplication(app);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: termivo-helpdoc HELP.html OUT.pdf\n");
        return 2;
    }
    QFile in(args[0]);
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "termivo-helpdoc: cannot read %s\n", qPrintable(args[0]));
        return 1;
    }
    QTextDocument doc;
    doc.setBaseUrl(QUrl::fromLocalFile(QFileInfo(args[0]).absoluteFilePath()));
    doc.setDefaultTextOption(QTextOption(Qt::AlignRight));
    const QString html = QString::fromUtf8(in.readAll());
    // The pictures lie beside the text (or in the folder above it).
    static const QRegularExpression img(QStringLiteral("<img src=\"([^\"]+)\""));
    for (auto it = img.globalMatch(html); it.hasNext();) {
        const QString src = it.next().captured(1);
        const QImage picture(QFileInfo(args[0]).absoluteDir().filePath(src));
        if (picture.isNull()) {
            std::fprintf(stderr, "termivo-helpdoc: cannot read the picture %s\n", qPrintable(src));
            return 1;
        }
        doc.addResource(QTextDocument::ImageResource, QUrl(src), picture);
    }
    doc.setHtml(html);
    QByteArray pdf;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setTitle(doc.metaInformation(QTextDocument::DocumentTitle));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter);
        doc.print(&writer);
    }
    try {
        writeBytesAtomically(args[1], pdf);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "termivo-helpdoc: %s\n", e.what());
        return 1;
    }
    return 0;
}
