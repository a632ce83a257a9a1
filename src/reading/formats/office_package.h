#pragma once
// The container of Office Open XML and OpenDocument files: a ZIP archive of
// parts, read in memory through libzip. Hostile archives are refused before
// they cost much: the entry count is read from the archive's end records
// before libzip walks its directory, and the parts read are capped in total,
// by their declared sizes before inflating and by what actually comes out
// while inflating (declared sizes may lie).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "reading/formats/office_xml.h"

namespace tavelo {

// No office document holds that many parts; a directory that large costs
// libzip memory and time before anything is read.
inline constexpr std::uint64_t kMaxPackageEntries = 50'000;
inline constexpr std::uint64_t kMaxUnpackedBytes = std::uint64_t{256} << 20;

enum class PackageFamily { kOpenXml, kOpenDocument };

// The most entries any end-of-directory record of the archive declares (ZIP64
// ones included); 0 when there is none.
std::uint64_t DeclaredEntryCount(std::string_view bytes);

class OfficePackage {
public:
    // Nothing when the bytes are not a readable archive of that family;
    // `reason` then says why, in French.
    static std::unique_ptr<OfficePackage> Open(std::string_view bytes, PackageFamily family, std::string& reason);
    ~OfficePackage();
    OfficePackage(const OfficePackage&) = delete;
    OfficePackage& operator=(const OfficePackage&) = delete;

    // Part names compare without case, as the packaging conventions say.
    bool Has(std::string_view name) const;
    // Streams the part's inflated bytes to `consume`, which returns false to
    // stop. False with a reason when the part is missing, protected, damaged
    // or over the total cap.
    bool Read(std::string_view name, const std::function<bool(std::string_view)>& consume, std::string& reason);
    bool ReadAll(std::string_view name, std::string& out, std::string& reason);
    // Runs the part's XML through `handler`.
    bool ParseXml(std::string_view name, XmlHandler& handler, std::string& reason);

private:
    struct Archive;
    explicit OfficePackage(std::unique_ptr<Archive> archive);
    std::unique_ptr<Archive> m_archive;
    std::unordered_map<std::string, std::uint64_t> m_entries; // lower-case name -> index
    std::uint64_t m_unpacked = 0;
};

// One relationship of an Office Open XML part, its target resolved to a part
// name (external targets are left out).
struct Relationship {
    std::string id;
    std::string type; // the last segment of the type's URI: "officeDocument", "slide"...
    std::string target;
};

// The relationships of `part` ("" for the package's own); empty when it has
// none. False with a reason when they cannot be read.
bool ReadRelationships(OfficePackage& package, std::string_view part, std::vector<Relationship>& out,
                       std::string& reason);

// The part the package's relationships name as its main document, or
// `fallback`.
std::string MainPart(OfficePackage& package, std::string_view fallback, std::string& reason);

// The name of `target` seen from `part`: relative targets are relative to the
// part's folder, "/..." from the package's root.
std::string ResolvePartName(std::string_view part, std::string_view target);

} // namespace tavelo
