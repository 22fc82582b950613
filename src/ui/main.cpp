#include "Application.h"
#include "DesktopServices.h"
#include "UMainMenu.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    InitialiseApplication(app);
    DesktopServices services;
    TFMainMenu window(services);
    FMainMenu = &window;
    window.show();
    return app.exec();
}
