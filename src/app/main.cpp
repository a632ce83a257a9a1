#include <QApplication>
#include <QMessageBox>
#include <iostream>
#include <optional>
#include <string_view>

#include "app/display_check.h"
#include "app/manual.h"
#include "app/tenorel_app.h"
#include "app/translation.h"
#include "base/catalogue.h"
#include "search/unicode/unicode_module.h"

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
    // A display server still starting on a loaded machine is waited for; a
    // missing one ends the start with a message (in the user's language, from
    // the catalogue: Qt's translator comes later), not an abort.
    tavelo::UseCatalogue(language);
    std::optional<tavelo::gui::DisplayWait> display(std::in_place);
    std::optional<tavelo::gui::StartupFailureGuard> startup(std::in_place);
    QApplication application(argc, argv);
    startup.reset();
    display.reset();
    tavelo::gui::InstallInterfaceLanguage(language);
    // The window searches as it is typed into: a module missing from the
    // installation is said now, not at the first keystroke.
    std::string missing;
    if (tavelo::unicode::TryModule(missing) == nullptr) {
        QMessageBox::critical(nullptr, QStringLiteral("Tavelo"), QString::fromStdString(missing));
        return 1;
    }
    tavelo::gui::CTenorelApp app;
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    if (!app.InitInstance(arguments))
        return 1;
    return QApplication::exec();
}
