#pragma once
// What every reader owes any input: valid UTF-8 pieces, or a reason.
#include <string>
#include <string_view>

#include "book/text.h"
#include "reading/formats/format.h"

namespace tavelo::fuzz {

inline void CheckReader(DocumentKind kind, std::string_view bytes)
{
    DocumentText text;
    std::string reason;
    if (ReadDocumentText(kind, FormatInput{bytes, {}}, text, reason)) {
        if (!IsValidUtf8(text.Body()))
            __builtin_trap();
    } else if (reason.empty()) {
        __builtin_trap();
    }
}

} // namespace tavelo::fuzz
