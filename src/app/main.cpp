#include <QApplication>
#include <iostream>
#include <string_view>

#include "app/manual.h"
#include "app/tenorel_app.h"
#include "app/translation.h"
#include "base/catalogue.h"

int main(int argc, char* argv[])
{
    const tavelo::UiLanguage language = tavelo::LanguageFromEnvironment();
    // --help and --version answer before Qt starts: they need no display.
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h" || argument == "--version") {
            tavelo::UseCatalogue(language);
            const tavelo::Manual& manual = tavelo::gui::AppManual();
            std::cout << (argument == "--version" ? tavelo::VersionText(manual) : tavelo::HelpText(manual));
            return std::cout.flush() ? 0 : 1;
        }
    }
    QApplication application(argc, argv);
    tavelo::gui::InstallInterfaceLanguage(language);
    tavelo::gui::CTenorelApp app;
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    if (!app.InitInstance(arguments))
        return 1;
    return QApplication::exec();
}
