#include "book/book_file.h"

#include <algorithm>
#include <cstdint>

#include "base/tr.h"
#include "book/text.h"

namespace tavelo {
namespace {

// Archive tags (16 bits): FFFF announces a class description, 8000|n refers to
// described class n, 7FFF announces a 32-bit tag, other values refer to an object
// already read (0 is the empty object).
constexpr std::uint16_t kNewClassTag = 0xFFFF;
constexpr std::uint16_t kClassTag = 0x8000;
constexpr std::uint16_t kBigObjectTag = 0x7FFF;
constexpr std::uint32_t kBigClassTag = 0x80000000;

[[noreturn]] void Damaged(const std::string& why)
{
    throw BookFormatError(Format(Tr("Book", "Le fichier est endommagé : %1"), {Tr("Book", why)}));
}

// What follows the record count in every book this program or its
// predecessor wrote: the class description of the first record, FF FF, the
// schema (two bytes of any value), then 09 00 and "CTenorels". A file whose
// first bytes differ from these is some other file (a text, a PDF renamed
// .tvo); one that matches as far as it goes is a book cut short.
bool StartsAsBook(std::string_view afterCount)
{
    static constexpr unsigned char kStart[] = {0xFF, 0xFF, 0x00, 0x00, 0x09, 0x00, 'C', 'T', 'e', 'n', 'o', 'r', 'e', 'l', 's'};
    // An empty-object tag first is what a foreign writer may leave; the
    // reading below says what it makes of it.
    if (afterCount.size() >= 2 && afterCount[0] == '\0' && afterCount[1] == '\0')
        return true;
    const std::size_t n = std::min(afterCount.size(), sizeof kStart);
    for (std::size_t i = 0; i < n; ++i) {
        if (i == 2 || i == 3)
            continue;
        if (static_cast<unsigned char>(afterCount[i]) != kStart[i])
            return false;
    }
    return true;
}

} // namespace

SubjectList ReadSubjectList(std::string_view bytes, const FormatNotice& notice)
{
    SubjectList subjects;
    if (bytes.empty())
        return subjects;

    ArchiveReader ar(bytes);
    const std::uint64_t count = ar.ReadCount();
    if (count > 0 && !StartsAsBook(bytes.substr(bytes.size() - static_cast<std::size_t>(ar.Remaining()))))
        throw BookFormatError(Tr("Book", "Ce fichier n'est pas un livre Tavelo."));
    // Every record takes at least two bytes of tag.
    if (count > ar.Remaining() / 2)
        ar.Require(ar.Remaining() + 1);

    // The archive numbers what it reads from 1: class descriptions and records
    // in one sequence. Entry 0 stands for the empty object.
    enum class Kind : std::uint8_t { Empty, Class, Record };
    struct Loaded {
        Kind kind;
        int schema;
    };
    std::vector<Loaded> loaded{{Kind::Empty, 0}};

    ar.ChargeMemory(count * (sizeof(std::unique_ptr<CTenorels>) + sizeof(CTenorels)));
    subjects.reserve(static_cast<std::size_t>(count));
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint16_t tag = ar.ReadUInt16();
        std::size_t classIndex = 0;
        if (tag == kNewClassTag) {
            const int schema = ar.ReadUInt16();
            const std::uint16_t nameLength = ar.ReadUInt16();
            const std::string_view name = ar.ReadBytes(nameLength);
            if (name != kRecordClassName)
                throw BookFormatError(
                    Tr("Book", "Ce fichier n'est pas un livre Tavelo : il contient des objets d'une autre classe que CTenorels."));
            loaded.push_back({Kind::Class, schema});
            classIndex = loaded.size() - 1;
        } else {
            std::uint32_t obTag;
            if (tag == kBigObjectTag)
                obTag = ar.ReadUInt32();
            else
                obTag = (static_cast<std::uint32_t>(tag & kClassTag) << 16) | (tag & ~kClassTag);
            if (obTag & kBigClassTag) {
                classIndex = obTag & ~kBigClassTag;
                if (classIndex >= loaded.size() || loaded[classIndex].kind != Kind::Class)
                    Damaged(TAVELO_TR_NOOP("Book", "une étiquette de classe désigne une classe inconnue."));
            } else {
                if (obTag >= loaded.size() || loaded[obTag].kind == Kind::Class)
                    Damaged(TAVELO_TR_NOOP("Book", "une référence désigne un objet qui n'a pas été lu."));
                // An empty object or a record already read: nothing to add.
                continue;
            }
        }

        const int schema = loaded[classIndex].schema;
        if (schema != 1 && schema != 2) {
            if (notice)
                notice(Tr("Book", kUnknownFormatMessage.data()));
            throw BookFormatError(Format(Tr("Book", "%1 : les sujets sont enregistrés sous la version %2, que Tavelo ne sait pas lire."),
                                         {Tr("Book", kUnknownFormatMessage.data()), std::to_string(schema)}));
        }
        loaded.push_back({Kind::Record, schema});
        auto record = std::make_unique<CTenorels>();
        record->Read(ar, schema);
        subjects.push_back(std::move(record));
    }
    // Bytes after the last record are ignored.
    return subjects;
}

namespace {

void WriteRecords(const SubjectList& subjects, std::string& out, const ByteSink* sink)
{
    constexpr std::size_t kChunk = 1 << 20;
    ArchiveWriter ar(out);
    ar.WriteCount(subjects.size());
    bool first = true;
    for (const auto& subject : subjects) {
        if (first) {
            ar.WriteUInt16(kNewClassTag);
            ar.WriteUInt16(kRecordSchema);
            ar.WriteUInt16(static_cast<std::uint16_t>(kRecordClassName.size()));
            ar.WriteBytes(kRecordClassName);
            first = false;
        } else {
            ar.WriteUInt16(kClassTag | 1);
        }
        subject->Write(ar);
        if (sink && out.size() >= kChunk) {
            (*sink)(out);
            out.clear();
        }
    }
    if (sink && !out.empty()) {
        (*sink)(out);
        out.clear();
    }
}

} // namespace

void WriteSubjectList(const SubjectList& subjects, std::string& out)
{
    std::size_t estimate = 32;
    for (const auto& s : subjects) {
        estimate += 16 + s->GetGeneralTitle().size() + s->GetSubjectName().size() + s->GetExpectedText().size();
        for (const auto& path : s->GetDocumentPaths())
            estimate += 3 + path.size();
    }
    out.reserve(out.size() + estimate);
    WriteRecords(subjects, out, nullptr);
}

void WriteSubjectList(const SubjectList& subjects, const ByteSink& sink)
{
    std::string buffer;
    buffer.reserve((1 << 20) + (1 << 16));
    WriteRecords(subjects, buffer, &sink);
}

FileBytes SerializeSubjects(const SubjectList& subjects)
{
    // An upper bound: a text takes at most its UTF-8 length in Windows-1252,
    // and at most twice that in the UTF-16 form, plus its length prefixes.
    const auto bound = [](const std::string& text) {
        return AsciiPrefixLength(text) == text.size() ? text.size() + 7 : 2 * text.size() + 10;
    };
    std::size_t capacity = 32;
    for (const auto& s : subjects) {
        capacity += 16 + bound(s->GetGeneralTitle()) + bound(s->GetSubjectName()) + bound(s->GetExpectedText());
        for (const auto& path : s->GetDocumentPaths())
            capacity += bound(path);
    }
    FileBytes out = FileBytes::WithCapacity(capacity);
    WriteSubjectList(subjects, [&](std::string_view chunk) { out.Append(chunk); });
    return out;
}

std::string WriteSubjectList(const SubjectList& subjects)
{
    std::string out;
    WriteSubjectList(subjects, out);
    return out;
}

} // namespace tavelo
