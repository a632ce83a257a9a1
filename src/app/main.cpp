#include <QApplication>

#include "app/tenorel_app.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    tavelo::gui::CTenorelApp app;
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    if (!app.InitInstance(arguments))
        return 1;
    return QApplication::exec();
}
