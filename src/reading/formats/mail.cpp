// Saved e-mails (.eml, and web pages saved as MIME archives, .mht): GMime
// parses the message from memory; its headers and every text part are
// decoded (transfer encodings, character sets), and each attachment whose
// name has the extension of a kind the search reads is read by that kind's
// module, into the same text: a message matches when one of its attachments
// does. A message/rfc822 part, or an attached .eml file, is a message itself.

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

#include <gmime/gmime.h>
#include <sys/mman.h>
#include <unistd.h>

#include "book/text.h"
#include "reading/formats/charset.h"
#include "base/tr.h"
#include "reading/formats/format.h"
#include "reading/formats/html.h"

namespace tavelo {

namespace {

// Parts inside parts: a forwarded message adds three or four levels.
constexpr int kMaxNesting = 64;
// GMime holds about a kilobyte per part and half a kilobyte per header line,
// for input lines of a few bytes: these bounds keep a hostile message within
// the reader's memory.
constexpr std::size_t kMaxParts = 10000;
constexpr std::size_t kMaxHeaderLines = 100000;
// What the parts of a message, attached messages included, may add up to once
// decoded.
constexpr std::size_t kMaxDecodedBytes = std::size_t{256} << 20;

struct Unref {
    void operator()(void* object) const
    {
        if (object != nullptr)
            g_object_unref(object);
    }
};
template <typename T>
using Owned = std::unique_ptr<T, Unref>;

struct ParserOptionsFree {
    void operator()(GMimeParserOptions* options) const { g_mime_parser_options_free(options); }
};

// The lines that could each open a part (they start with "--", as
// boundaries do) and those that could each be a header field ("Name:").
struct Shape {
    std::size_t boundaries = 0;
    std::size_t headers = 0;
};

void Measure(std::string_view bytes, Shape& shape)
{
    for (std::size_t line = 0; line < bytes.size();) {
        const std::size_t end = std::min(bytes.find('\n', line), bytes.size());
        const std::string_view text = bytes.substr(line, end - line);
        if (text.substr(0, 2) == "--") {
            ++shape.boundaries;
        } else {
            std::size_t name = 0;
            while (name < text.size() && text[name] > ' ' && text[name] < 127 && text[name] != ':')
                ++name;
            if (name > 0 && name < text.size() && text[name] == ':')
                ++shape.headers;
        }
        line = end + 1;
    }
}

std::string_view ExtensionOf(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || name.find('/', dot) != std::string_view::npos)
        return {};
    return name.substr(dot + 1);
}

// format=flowed text (RFC 3676): a line that ends with a space goes on in the
// next one, so that a phrase wrapped by the sender's program is found whole.
std::string Unflow(std::string_view text, bool deleteSpace)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t newline = text.find('\n', start);
        const std::size_t end = newline == std::string_view::npos ? text.size() : newline;
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!line.empty() && line.front() == ' ')
            line.remove_prefix(1);
        const bool soft = !line.empty() && line.back() == ' ' && line != "-- ";
        if (soft && deleteSpace)
            line.remove_suffix(1);
        out.append(line);
        if (!soft && newline != std::string_view::npos)
            out += '\n';
        start = end + 1;
    }
    return out;
}

// An attachment's bytes in an anonymous memory file: the modules get them as
// bytes and as a path (/proc/self/fd/N) for the libraries that only open
// paths. Nothing is written to any file system.
class MemoryFile {
public:
    explicit MemoryFile(GMimeDataWrapper* content)
    {
        const int fd = ::memfd_create("tavelo-attachment", MFD_CLOEXEC);
        if (fd < 0)
            return;
        m_stream.reset(g_mime_stream_fs_new(fd));
        if (g_mime_data_wrapper_write_to_stream(content, m_stream.get()) < 0 ||
            g_mime_stream_flush(m_stream.get()) != 0)
            return;
        const off_t size = ::lseek(fd, 0, SEEK_END);
        if (size < 0)
            return;
        m_size = static_cast<std::size_t>(size);
        if (m_size > 0) {
            void* map = ::mmap(nullptr, m_size, PROT_READ, MAP_SHARED, fd, 0);
            if (map == MAP_FAILED)
                return;
            m_map = map;
        }
        m_path = "/proc/self/fd/" + std::to_string(fd);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    ~MemoryFile()
    {
        if (m_map != nullptr)
            ::munmap(m_map, m_size);
    }

    bool Ready() const { return !m_path.empty(); }
    FormatInput Input() const
    {
        return {std::string_view(static_cast<const char*>(m_map), m_map == nullptr ? 0 : m_size), m_path};
    }

private:
    Owned<GMimeStream> m_stream; // holds the descriptor
    void* m_map = nullptr;
    std::size_t m_size = 0;
    std::string m_path;
};

class MailReader {
public:
    MailReader(TextSink& sink, std::string& reason) : m_sink(sink), m_reason(reason)
    {
        const char* fallback[] = {"utf-8", "windows-1252", nullptr};
        m_options.reset(g_mime_parser_options_new());
        g_mime_parser_options_set_fallback_charsets(m_options.get(), fallback);
    }

    // Reads one message, and what it holds, at that depth of nesting.
    bool Read(std::string_view bytes, int depth)
    {
        // Measured before GMime builds its objects, over this message and
        // the attached ones read before it.
        Measure(bytes, m_shape);
        if (m_shape.boundaries > 2 * kMaxParts)
            return Fail(TAVELO_TR_NOOP("Search", "le message a trop de parties"));
        if (m_shape.headers > kMaxHeaderLines)
            return Fail(TAVELO_TR_NOOP("Search", "le message a trop de lignes d'en-tête"));
        if (bytes.empty())
            return true;
        if (bytes.size() > G_MAXUINT)
            return Fail(TAVELO_TR_NOOP("Search", "le message est trop volumineux"));
        // The stream reads the caller's bytes where they are: the array takes
        // them without copying, and neither frees them.
        auto* data = reinterpret_cast<guint8*>(const_cast<char*>(bytes.data()));
        GByteArray* array = g_byte_array_new_take(data, bytes.size());
        Owned<GMimeStream> stream(g_mime_stream_mem_new_with_byte_array(array));
        g_mime_stream_mem_set_owner(GMIME_STREAM_MEM(stream.get()), FALSE);
        bool read = false;
        {
            const Owned<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
            g_mime_parser_set_format(parser.get(), GMIME_FORMAT_MESSAGE);
            const Owned<GMimeMessage> message(g_mime_parser_construct_message(parser.get(), m_options.get()));
            // An attached file that is no message is left out, as any
            // unreadable attachment.
            read = message ? Walk(GMIME_OBJECT(message.get()), depth)
                           : depth > 0 || Fail(TAVELO_TR_NOOP("Search", "ce n'est pas un message électronique lisible"));
        }
        stream.reset();
        g_byte_array_free(array, FALSE);
        return read;
    }

private:
    bool Fail(const char* reason)
    {
        m_reason = reason;
        return false;
    }

    bool Add(std::string_view text)
    {
        if (text.empty())
            return true;
        const std::string repaired = IsValidUtf8(text) ? std::string() : DecodeCharset(text, "utf-8");
        if (!m_sink.Add(MatchRule::kPattern, repaired.empty() ? text : repaired))
            return Fail(TooMuchTextReason());
        return true;
    }

    bool AddAddresses(InternetAddressList* list)
    {
        if (list == nullptr || internet_address_list_length(list) == 0)
            return true;
        char* text = internet_address_list_to_string(list, nullptr, FALSE);
        const bool added = text == nullptr || Add(text);
        g_free(text);
        return added;
    }

    // The headers a mail reader shows: subject, sender, recipients, date
    // (also as 31/12/2023, as a French reader writes it).
    bool AddHeaders(GMimeMessage* message)
    {
        const char* subject = g_mime_message_get_subject(message);
        if (subject != nullptr && !Add(subject))
            return false;
        if (!AddAddresses(g_mime_message_get_from(message)) || !AddAddresses(g_mime_message_get_to(message)) ||
            !AddAddresses(g_mime_message_get_cc(message)))
            return false;
        const char* date = g_mime_object_get_header(GMIME_OBJECT(message), "Date");
        if (date != nullptr && !Add(date))
            return false;
        if (GDateTime* parsed = g_mime_message_get_date(message)) {
            char* day = g_date_time_format(parsed, "%d/%m/%Y");
            const bool added = day == nullptr || Add(day);
            g_free(day);
            return added;
        }
        return true;
    }

    // The parts of a message, depth first and in order, with a stack of our
    // own: the depth of nesting is counted, not spent on the call stack.
    bool Walk(GMimeObject* root, int depth)
    {
        std::vector<std::pair<GMimeObject*, int>> pending{{root, depth}};
        while (!pending.empty()) {
            const auto [object, level] = pending.back();
            pending.pop_back();
            if (level > kMaxNesting)
                return Fail(TAVELO_TR_NOOP("Search", "les pièces du message sont imbriquées trop profondément"));
            if (++m_parts > kMaxParts)
                return Fail(TAVELO_TR_NOOP("Search", "le message a trop de parties"));
            if (GMIME_IS_MESSAGE(object)) {
                GMimeMessage* message = GMIME_MESSAGE(object);
                if (!AddHeaders(message))
                    return false;
                if (GMimeObject* body = g_mime_message_get_mime_part(message))
                    pending.emplace_back(body, level + 1);
            } else if (GMIME_IS_MESSAGE_PART(object)) {
                if (GMimeMessage* message = g_mime_message_part_get_message(GMIME_MESSAGE_PART(object)))
                    pending.emplace_back(GMIME_OBJECT(message), level + 1);
            } else if (GMIME_IS_MULTIPART(object)) {
                GMimeMultipart* multipart = GMIME_MULTIPART(object);
                for (int i = g_mime_multipart_get_count(multipart) - 1; i >= 0; --i)
                    pending.emplace_back(g_mime_multipart_get_part(multipart, i), level + 1);
            } else if (GMIME_IS_PART(object)) {
                if (!ReadPart(GMIME_PART(object), level))
                    return false;
            }
        }
        return true;
    }

    // A leaf part: by the extension of its file name when a kind reads it,
    // otherwise as text when it is text, otherwise left alone (images,
    // archives...). A part that cannot be read is left out; the message is
    // still read.
    bool ReadPart(GMimePart* part, int level)
    {
        GMimeObject* object = GMIME_OBJECT(part);
        GMimeContentType* type = g_mime_object_get_content_type(object);
        const char* filename = g_mime_part_get_filename(part);
        DocumentKind kind = filename == nullptr ? DocumentKind::kOther : KindOfExtension(ExtensionOf(filename));
        if (kind == DocumentKind::kOther) {
            if (type == nullptr || !g_mime_content_type_is_type(type, "text", "*"))
                return true;
            kind = g_mime_content_type_is_type(type, "text", "html")  ? DocumentKind::kHtml
                   : g_mime_content_type_is_type(type, "text", "rtf") ? DocumentKind::kRtf
                                                                      : DocumentKind::kText;
        }
        GMimeDataWrapper* content = g_mime_part_get_content(part);
        if (content == nullptr)
            return true;
        const gint64 encoded = g_mime_stream_length(g_mime_data_wrapper_get_stream(content));
        if (encoded > 0)
            m_decoded += static_cast<std::size_t>(encoded);
        if (m_decoded > kMaxDecodedBytes)
            return Fail("les pièces du message dépassent 256 Mio une fois décodées");

        if (kind != DocumentKind::kText && kind != DocumentKind::kHtml && kind != DocumentKind::kMail)
            return ReadAttachment(kind, content);
        const Owned<GMimeStream> decoded(g_mime_stream_mem_new());
        if (g_mime_data_wrapper_write_to_stream(content, decoded.get()) < 0)
            return true;
        const GByteArray* array = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(decoded.get()));
        const std::string_view bytes(reinterpret_cast<const char*>(array->data), array->len);
        const char* charset = g_mime_object_get_content_type_parameter(object, "charset");
        // Bounds and text are shared with the message that holds it.
        if (kind == DocumentKind::kMail)
            return Read(bytes, level + 1);
        if (kind == DocumentKind::kHtml) {
            std::string reason;
            if (ReadHtmlPage(bytes, charset == nullptr ? "" : charset, m_sink, reason))
                return true;
            return reason == TooMuchTextReason() ? Fail(TooMuchTextReason()) : true;
        }
        const std::string text = DecodeCharset(bytes, charset == nullptr ? "" : charset);
        const char* format = g_mime_object_get_content_type_parameter(object, "format");
        if (format != nullptr && g_ascii_strcasecmp(format, "flowed") == 0) {
            const char* delsp = g_mime_object_get_content_type_parameter(object, "delsp");
            return Add(Unflow(text, delsp != nullptr && g_ascii_strcasecmp(delsp, "yes") == 0));
        }
        return Add(text);
    }

    bool ReadAttachment(DocumentKind kind, GMimeDataWrapper* content)
    {
        const FormatReader read = ReaderOf(kind);
        const MemoryFile file(content);
        if (read == nullptr || !file.Ready())
            return true;
        std::string reason;
        if (read(file.Input(), m_sink, reason))
            return true;
        return reason == TooMuchTextReason() ? Fail(TooMuchTextReason()) : true;
    }

    TextSink& m_sink;
    std::string& m_reason;
    std::unique_ptr<GMimeParserOptions, ParserOptionsFree> m_options;
    Shape m_shape;
    std::size_t m_parts = 0;
    std::size_t m_decoded = 0;
};

} // namespace

bool ReadMail(const FormatInput& input, TextSink& sink, std::string& reason)
{
    // GMime keeps process-wide tables; it reads no file and opens nothing to
    // set them up.
    static std::once_flag initialised;
    std::call_once(initialised, [] { g_mime_init(); });
    MailReader reader(sink, reason);
    return reader.Read(input.bytes, 0);
}

} // namespace tavelo
