// The month chart as a standard Windows Metafile.
#pragma once

#include <QByteArray>
#include <QSize>

class QCustomPlot;

// The whole chart as it is on screen (or at size when given), as WMF bytes.
QByteArray chartMetafile(QCustomPlot* chart, QSize size = QSize());
