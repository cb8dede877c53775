// Application-wide set-up of the windowed program: title, fonts, dialogs.
#pragma once

class QApplication;
class QCoreApplication;

void setUpApplication(QApplication& app);

// Persian for the whole interface: Qt's own dialogs, buttons and menus (Debian's
// qtbase_fa.qm) and the program's own messages (termivo_fa.qm, built with the
// program); the texts the windows give in Persian stay as they are. Returns false
// when one of the two translations could not be loaded (the interface is then
// partly English).
bool installPersianTranslations(QCoreApplication& app);
// Removes them again (for tests).
void removePersianTranslations(QCoreApplication& app);
