// tavelo-scan: the scan command of tavelo-cli, in a program of its own so
// that SANE and Tesseract, and the libraries they bring, are loaded only by
// those who scan. tavelo-cli scan runs it with its own arguments.

#include <iostream>

#include "base/catalogue.h"
#include "cli/commands.h"

int main(int argc, char** argv)
{
    tavelo::UseCatalogue(tavelo::LanguageFromEnvironment());
    return tavelo::cli::RunScan(tavelo::cli::Args(argv + 1, argv + argc), {std::cout, std::cerr});
}
