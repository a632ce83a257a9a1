// tavelo-manpage PROGRAM LANGUAGE: writes the manual page of tavelo or
// tavelo-cli, in French (fr) or English (en), on its standard output. The build
// runs it; the page comes from the same table as the program's --help.

#include <cstring>
#include <iostream>

#include "base/catalogue.h"
#include "cli/manual.h"
#ifdef TAVELO_WITH_APP_MANUAL
#include "app/manual.h"
#endif

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: tavelo-manpage tavelo|tavelo-cli fr|en\n";
        return 2;
    }
    tavelo::UseCatalogue(std::strcmp(argv[2], "en") == 0 ? tavelo::UiLanguage::kEnglish : tavelo::UiLanguage::kFrench);
    const tavelo::Manual* manual = nullptr;
    if (std::strcmp(argv[1], "tavelo-cli") == 0)
        manual = &tavelo::cli::CliManual();
#ifdef TAVELO_WITH_APP_MANUAL
    if (std::strcmp(argv[1], "tavelo") == 0)
        manual = &tavelo::gui::AppManual();
#endif
    if (!manual) {
        std::cerr << "tavelo-manpage: unknown program " << argv[1] << "\n";
        return 2;
    }
    std::cout << tavelo::ManPage(*manual);
    return std::cout.flush() ? 0 : 1;
}
