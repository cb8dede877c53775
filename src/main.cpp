// Termivo: temperature and humidity logging devices, their downloads and reports.
#include <QApplication>

#include "app/ui/application.h"
#include "app/ui/forms.h"
#include "views/ui/form1.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    setUpApplication(app);
    const QStringList args = app.arguments().mid(1);
    createForms(args);
    Form1->showMaximized();
    const int rc = app.exec();
    destroyForms();
    return rc;
}
