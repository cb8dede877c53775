// Application-wide set-up of the windowed program: title, fonts, dialogs.
#pragma once

class QApplication;

void setUpApplication(QApplication& app);
