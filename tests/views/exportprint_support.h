// Helpers of the export and print tests: running poppler's and libwmf's converters,
// and reading the words and their boxes from a PDF.
#pragma once

#include <QList>
#include <QRectF>
#include <QString>
#include <QStringList>

struct PdfWord
{
    int page = 0;  // 0-based
    QString text;
    QRectF box;  // points, from the page's top left
};

struct PdfPage
{
    double width = 0;  // points
    double height = 0;
};

struct PdfText
{
    QList<PdfPage> pages;
    QList<PdfWord> words;
    // Words of page p whose text is t.
    QList<PdfWord> find(int p, const QString& t) const;
};

// pdftotext -bbox of file; fails the test when the tool fails.
PdfText pdfWords(const QString& file);

struct ToolRun
{
    int code = -1;
    QString out;
    QString err;
};
ToolRun runTool(const QString& program, const QStringList& args);

constexpr double kPointsPerMm = 72.0 / 25.4;
