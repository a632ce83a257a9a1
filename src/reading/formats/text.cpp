// Plain text: the whole file, decoded (byte-order mark, UTF-8, Windows-1252).

#include "reading/formats/format.h"
#include "reading/text_decoding.h"

namespace tavelo {

bool ReadText(const FormatInput& input, TextSink& sink, std::string& reason)
{
    std::string storage;
    if (!sink.Add(MatchRule::kPattern, DecodeTextFile(input.bytes, storage))) {
        reason = TooMuchTextReason();
        return false;
    }
    return true;
}

} // namespace tavelo
