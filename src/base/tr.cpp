#include "base/tr.h"

#include <atomic>

namespace tavelo {

namespace {
std::atomic<Translator> g_translator{nullptr};
}

std::string Tr(const char* context, const char* text)
{
    const Translator translator = g_translator.load(std::memory_order_acquire);
    return translator ? translator(context, text) : std::string(text);
}

std::string Tr(const char* context, std::string_view text)
{
    return Tr(context, std::string(text).c_str());
}

void SetTranslator(Translator translator)
{
    g_translator.store(translator, std::memory_order_release);
}

std::string Format(std::string_view pattern, std::initializer_list<std::string_view> arguments)
{
    std::string result;
    result.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const auto index = static_cast<std::size_t>(pattern[i + 1] - '1');
            if (index < arguments.size()) {
                result += arguments.begin()[index];
                ++i;
                continue;
            }
        }
        result += c;
    }
    return result;
}

} // namespace tavelo
