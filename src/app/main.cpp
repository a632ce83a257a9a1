#include <QApplication>
#include <optional>

#include "app/display_check.h"
#include "app/tenorel_app.h"

int main(int argc, char* argv[])
{
    // A display server still starting on a loaded machine is waited for; a
    // missing one ends the start with a message, not an abort.
    std::optional<tavelo::gui::DisplayWait> display(std::in_place);
    std::optional<tavelo::gui::StartupFailureGuard> startup(std::in_place);
    QApplication application(argc, argv);
    startup.reset();
    display.reset();
    tavelo::gui::CTenorelApp app;
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    if (!app.InitInstance(arguments))
        return 1;
    return QApplication::exec();
}
