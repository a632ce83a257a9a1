#include "base/helper_program.h"

#include <algorithm>
#include <filesystem>
#include <vector>
#include <unistd.h>

namespace tavelo {

namespace fs = std::filesystem;

namespace {

bool Usable(const fs::path& path, bool executable)
{
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        return false;
    return ::access(path.c_str(), executable ? X_OK : R_OK) == 0;
}

} // namespace

std::string ExecutableFolder()
{
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string() : self.parent_path().string();
}

namespace detail {

std::string FindIn(std::string_view name, const std::string& executableFolder, const std::string& buildFolder,
                   bool executable, bool run)
{
    // A name that climbs out of its folder could reach any file: refuse it.
    const fs::path relative(name);
    if (name.empty() || relative.is_absolute())
        return {};
    for (const fs::path& part : relative) {
        if (part == "..")
            return {};
    }
    std::vector<fs::path> candidates;
    if (!executableFolder.empty()) {
        const fs::path here(executableFolder);
        if (executable) {
            candidates.push_back(here / relative);
            candidates.push_back(here / ".." / "libexec" / "tavelo" / relative);
        } else {
            candidates.push_back(here / ".." / "share" / "tavelo" / relative);
        }
    }
    if (!buildFolder.empty())
        candidates.push_back(fs::path(buildFolder) / (executable ? "libexec" : "share") / "tavelo" / relative);
    for (const fs::path& candidate : candidates) {
        if (Usable(candidate, executable && run))
            return candidate.lexically_normal().string();
    }
    return {};
}

} // namespace detail

std::string BuildFolder()
{
#ifdef TAVELO_BUILD_FOLDER
    return TAVELO_BUILD_FOLDER;
#else
    return {};
#endif
}

std::string FindHelperProgram(std::string_view name)
{
    return detail::FindIn(name, ExecutableFolder(), BuildFolder(), true);
}

std::string FindHelperLibrary(std::string_view name)
{
    return detail::FindIn(name, ExecutableFolder(), BuildFolder(), true, false);
}

std::string FindDataFile(std::string_view relative)
{
    return detail::FindIn(relative, ExecutableFolder(), BuildFolder(), false);
}

bool RunsFromBuildTree()
{
    const std::string build = BuildFolder();
    const std::string here = ExecutableFolder();
    if (build.empty() || here.empty())
        return false;
    std::error_code error;
    const fs::path root = fs::canonical(build, error);
    if (error)
        return false;
    const fs::path folder = fs::canonical(here, error);
    if (error)
        return false;
    // Inside the build folder: its programs (src/app, src/cli) and its tests.
    const auto [end, _] = std::mismatch(root.begin(), root.end(), folder.begin(), folder.end());
    return end == root.end();
}

} // namespace tavelo
