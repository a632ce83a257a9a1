#include <cstdio>
#include <cstdlib>
#include <mutex>

#include <dlfcn.h>

#include "base/helper_program.h"
#include "base/tr.h"
#include "search/unicode/unicode_module.h"

namespace tavelo::unicode {

namespace {

struct Loaded {
    const Api* api = nullptr;
    std::string message;
};

const Loaded& Once()
{
    static const Loaded loaded = [] {
        Loaded result;
        const std::string path = FindHelperLibrary(kModuleName);
        if (path.empty())
            result.message = Format(Tr("Search", "Le module %1 de Tavelo est introuvable : l'installation est incomplète. "
                                                 "Réinstallez Tavelo."),
                                    {kModuleName});
        else
            result.api = Open(path, result.message);
        return result;
    }();
    return loaded;
}

} // namespace

const Api* Open(const std::string& path, std::string& message)
{
    const auto failed = [&](const std::string& detail) -> const Api* {
        message = Format(Tr("Search", "Le module %1 de Tavelo ne peut pas être chargé (%2) : %3. Réinstallez Tavelo."),
                         {kModuleName, path, detail});
        return nullptr;
    };
    // Never unloaded: its expressions and folded characters live as long as
    // the process.
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* error = ::dlerror();
        return failed(error != nullptr ? std::string(error) : Tr("Search", "erreur inconnue"));
    }
    using Entry = const Api* (*)();
    const auto entry = reinterpret_cast<Entry>(::dlsym(handle, kEntryPoint));
    const Api* api = entry != nullptr ? entry() : nullptr;
    if (api == nullptr || api->version != kApiVersion) {
        ::dlclose(handle);
        return failed(Tr("Search", "ce n'est pas le module de cette version de Tavelo"));
    }
    return api;
}

const Api* TryModule(std::string& message)
{
    const Loaded& loaded = Once();
    if (loaded.api == nullptr)
        message = loaded.message;
    return loaded.api;
}

const Api& Module()
{
    std::string message;
    if (const Api* api = TryModule(message))
        return *api;
    std::fprintf(stderr, "%s\n", message.c_str());
    std::fflush(nullptr);
    std::_Exit(2);
}

} // namespace tavelo::unicode
