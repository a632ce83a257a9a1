#include <iostream>

#include "base/catalogue.h"
#include "cli/commands.h"

int main(int argc, char** argv)
{
    tavelo::UseCatalogue(tavelo::LanguageFromEnvironment());
    return tavelo::cli::RunTool(tavelo::cli::Args(argv + 1, argv + argc), {std::cout, std::cerr, true});
}
