#include "base/tr.h"
#include "reading/formats/office_package.h"

#include <algorithm>

#include <zip.h>

#include "reading/formats/ole_container.h"

namespace tavelo {

namespace {

constexpr const char* kDamaged = TAVELO_TR_NOOP("Search", "le document est endommagé");
constexpr const char* kProtected = TAVELO_TR_NOOP("Search", "le document est protégé par un mot de passe");
constexpr const char* kTooManyEntries = TAVELO_TR_NOOP("Search", "le document contient trop de fichiers internes");
constexpr const char* kNoMemory = TAVELO_TR_NOOP("Search", "la mémoire manque pour le lire");
constexpr std::size_t kChunk = 64 * 1024;
// End of central directory record, ZIP64 locator and ZIP64 record.
constexpr std::size_t kEndRecordSize = 22;
constexpr std::size_t kZip64LocatorSize = 20;
constexpr std::size_t kZip64RecordSize = 56;
constexpr std::size_t kMaxCommentSize = 0xFFFF;

std::uint64_t Le(std::string_view bytes, std::size_t at, int width)
{
    std::uint64_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

std::string Lower(std::string_view name)
{
    std::string lower(name);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

const char* NotThisFamily(PackageFamily family)
{
    return family == PackageFamily::kOpenXml ? TAVELO_TR_NOOP("Search", "ce n'est pas un document Office Open XML valide")
                                             : TAVELO_TR_NOOP("Search", "ce n'est pas un document OpenDocument valide");
}

// Office Open XML files protected by a password are not archives at all but
// OLE2 compound files holding "EncryptionInfo" and "EncryptedPackage".
bool IsEncryptedOpenXml(std::string_view bytes)
{
    static constexpr char kOleSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    if (bytes.substr(0, 8) != std::string_view(kOleSignature, 8))
        return false;
    std::string ignored;
    const std::optional<OleContainer> ole = OleContainer::Open(bytes, ignored);
    std::string info;
    return ole && ole->ReadStream("EncryptionInfo", info, std::size_t{1} << 20);
}

const char* DescribeZipError(int code)
{
    switch (code) {
    case ZIP_ER_MEMORY: return kNoMemory;
    case ZIP_ER_NOPASSWD:
    case ZIP_ER_WRONGPASSWD:
    case ZIP_ER_ENCRNOTSUPP: return kProtected;
    case ZIP_ER_COMPNOTSUPP: return TAVELO_TR_NOOP("Search", "le document utilise une compression non prise en charge");
    default: return kDamaged;
    }
}

} // namespace

std::uint64_t DeclaredEntryCount(std::string_view bytes)
{
    if (bytes.size() < kEndRecordSize)
        return 0;
    std::uint64_t most = 0;
    const std::size_t last = bytes.size() - kEndRecordSize;
    const std::size_t first = last > kMaxCommentSize ? last - kMaxCommentSize : 0;
    // Every candidate record counts: libzip may choose any of them.
    for (std::size_t at = last + 1; at-- > first;) {
        if (bytes.compare(at, 4, "PK\x05\x06") != 0)
            continue;
        most = std::max(most, Le(bytes, at + 10, 2));
        if (at >= kZip64LocatorSize && bytes.compare(at - kZip64LocatorSize, 4, "PK\x06\x07") == 0) {
            const std::uint64_t record = Le(bytes, at - kZip64LocatorSize + 8, 8);
            if (bytes.size() >= kZip64RecordSize && record <= bytes.size() - kZip64RecordSize && bytes.compare(record, 4, "PK\x06\x06") == 0)
                most = std::max(most, Le(bytes, record + 32, 8));
        }
        most = std::max<std::uint64_t>(most, 1);
    }
    return most;
}

struct OfficePackage::Archive {
    ~Archive()
    {
        if (zip != nullptr)
            zip_discard(zip);
    }
    zip_t* zip = nullptr;
};

OfficePackage::OfficePackage(std::unique_ptr<Archive> archive) : m_archive(std::move(archive)) {}
OfficePackage::~OfficePackage() = default;

std::unique_ptr<OfficePackage> OfficePackage::Open(std::string_view bytes, PackageFamily family, std::string& reason)
{
    if (family == PackageFamily::kOpenXml && IsEncryptedOpenXml(bytes)) {
        reason = kProtected;
        return nullptr;
    }
    const std::uint64_t declared = DeclaredEntryCount(bytes);
    if (declared == 0) {
        reason = NotThisFamily(family);
        return nullptr;
    }
    if (declared > kMaxPackageEntries) {
        reason = kTooManyEntries;
        return nullptr;
    }
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    auto archive = std::make_unique<Archive>();
    if (source != nullptr) {
        archive->zip = zip_open_from_source(source, ZIP_RDONLY, &error);
        if (archive->zip == nullptr)
            zip_source_free(source);
    }
    const int code = zip_error_code_zip(&error);
    zip_error_fini(&error);
    if (archive->zip == nullptr) {
        reason = code == ZIP_ER_NOZIP ? NotThisFamily(family) : DescribeZipError(code);
        return nullptr;
    }
    std::unique_ptr<OfficePackage> package(new OfficePackage(std::move(archive)));
    const zip_int64_t count = zip_get_num_entries(package->m_archive->zip, 0);
    if (count < 0 || static_cast<std::uint64_t>(count) > kMaxPackageEntries) {
        reason = kTooManyEntries;
        return nullptr;
    }
    package->m_entries.reserve(static_cast<std::size_t>(count));
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(package->m_archive->zip, static_cast<zip_uint64_t>(i), 0);
        if (name != nullptr)
            package->m_entries.emplace(Lower(name), static_cast<std::uint64_t>(i));
    }
    return package;
}

bool OfficePackage::Has(std::string_view name) const
{
    return m_entries.count(Lower(name)) != 0;
}

bool OfficePackage::Read(std::string_view name, const std::function<bool(std::string_view)>& consume,
                         std::string& reason)
{
    const auto entry = m_entries.find(Lower(name));
    if (entry == m_entries.end()) {
        reason = TAVELO_TR_NOOP("Search", "le document est incomplet");
        return false;
    }
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_archive->zip, entry->second, 0, &stat) != 0 || (stat.valid & ZIP_STAT_SIZE) == 0) {
        reason = kDamaged;
        return false;
    }
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) != 0 && stat.encryption_method != ZIP_EM_NONE) {
        reason = kProtected;
        return false;
    }
    if ((stat.valid & ZIP_STAT_COMP_METHOD) != 0 && !zip_compression_method_supported(stat.comp_method, 0)) {
        reason = DescribeZipError(ZIP_ER_COMPNOTSUPP);
        return false;
    }
    if (stat.size > kMaxUnpackedBytes - m_unpacked) {
        reason = TAVELO_TR_NOOP("Search", "le document décompressé dépasse 256 Mio");
        return false;
    }
    zip_file_t* file = zip_fopen_index(m_archive->zip, entry->second, 0);
    if (file == nullptr) {
        reason = DescribeZipError(zip_error_code_zip(zip_get_error(m_archive->zip)));
        return false;
    }
    std::string buffer(kChunk, '\0');
    std::uint64_t total = 0;
    bool ok = true;
    for (;;) {
        const zip_int64_t n = zip_fread(file, buffer.data(), buffer.size());
        if (n < 0) {
            reason = DescribeZipError(zip_error_code_zip(zip_file_get_error(file)));
            ok = false;
            break;
        }
        if (n == 0) {
            if (total != stat.size) {
                reason = kDamaged;
                ok = false;
            }
            break;
        }
        total += static_cast<std::uint64_t>(n);
        m_unpacked += static_cast<std::uint64_t>(n);
        // More than declared: the declared size, checked against the cap
        // above, was a lie.
        if (total > stat.size) {
            reason = kDamaged;
            ok = false;
            break;
        }
        if (!consume(std::string_view(buffer.data(), static_cast<std::size_t>(n)))) {
            ok = false;
            break;
        }
    }
    zip_fclose(file);
    return ok;
}

bool OfficePackage::ReadAll(std::string_view name, std::string& out, std::string& reason)
{
    out.clear();
    return Read(name, [&out](std::string_view chunk) {
        out.append(chunk);
        return true;
    }, reason);
}

bool OfficePackage::ParseXml(std::string_view name, XmlHandler& handler, std::string& reason)
{
    XmlStream stream(handler);
    if (!Read(name, [&](std::string_view chunk) { return stream.Feed(chunk, reason); }, reason))
        return false;
    return stream.Finish(reason);
}

std::string ResolvePartName(std::string_view part, std::string_view target)
{
    std::string path;
    if (!target.empty() && target.front() == '/') {
        path = target.substr(1);
    } else {
        const std::size_t slash = part.rfind('/');
        path = std::string(slash == std::string_view::npos ? std::string_view() : part.substr(0, slash + 1));
        path += target;
    }
    std::vector<std::string_view> segments;
    std::string_view rest = path;
    while (!rest.empty()) {
        const std::size_t slash = rest.find('/');
        const std::string_view segment = rest.substr(0, slash);
        if (segment == "..") {
            if (!segments.empty())
                segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
        if (slash == std::string_view::npos)
            break;
        rest.remove_prefix(slash + 1);
    }
    std::string name;
    for (const std::string_view segment : segments) {
        if (!name.empty())
            name += '/';
        name += segment;
    }
    return name;
}

namespace {

class RelationshipsHandler : public XmlHandler {
public:
    RelationshipsHandler(std::string_view part, std::vector<Relationship>& out) : m_part(part), m_out(out) {}

    Action Start(const XmlElement& e) override
    {
        if (!e.Is(XmlNs::kPackageRelationships, "Relationship"))
            return kEnter;
        if (e.Attribute(XmlNs::kNone, "TargetMode") == "External")
            return kSkip;
        if (m_out.size() >= kMaxPackageEntries) {
            Stop(kTooManyEntries);
            return kSkip;
        }
        std::string_view type = e.Attribute(XmlNs::kNone, "Type");
        type.remove_prefix(std::min(type.size(), type.rfind('/') + 1));
        m_out.push_back({std::string(e.Attribute(XmlNs::kNone, "Id")), std::string(type),
                         ResolvePartName(m_part, e.Attribute(XmlNs::kNone, "Target"))});
        return kSkip;
    }
    void End(XmlNs, std::string_view) override {}
    void Text(std::string_view) override {}

private:
    std::string_view m_part;
    std::vector<Relationship>& m_out;
};

} // namespace

bool ReadRelationships(OfficePackage& package, std::string_view part, std::vector<Relationship>& out,
                       std::string& reason)
{
    out.clear();
    const std::size_t slash = part.rfind('/');
    const std::string folder(slash == std::string_view::npos ? std::string_view() : part.substr(0, slash + 1));
    const std::string file(slash == std::string_view::npos ? part : part.substr(slash + 1));
    const std::string name = folder + "_rels/" + file + ".rels";
    if (!package.Has(name))
        return true;
    RelationshipsHandler handler(part, out);
    return package.ParseXml(name, handler, reason);
}

std::string MainPart(OfficePackage& package, std::string_view fallback, std::string& reason)
{
    std::vector<Relationship> relationships;
    if (!ReadRelationships(package, "", relationships, reason))
        return {};
    for (const Relationship& r : relationships)
        if (r.type == "officeDocument" && package.Has(r.target))
            return r.target;
    return std::string(fallback);
}

} // namespace tavelo
