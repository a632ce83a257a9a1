#pragma once
// A walk through a folder and all its sub-folders that reports the files a
// caller asks for, by name or by size, reading each file's size only when the
// question needs it. Symbolic links to folders are followed after the real
// folders (a file reached both ways is reported once, by its real path); a
// folder met twice (a loop of links) is walked once; folders that cannot be
// read are counted and skipped. A few threads list folders at once.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tavelo {

struct ScannedFile {
    std::string path;
    std::uint64_t size = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
};

// Both are called from several threads at once.
struct ScanRequest {
    // Files whose name this accepts are reported.
    std::function<bool(std::string_view name)> byName;
    // When set, files of a size this accepts are reported as well; every
    // file's size is then read.
    std::function<bool(std::uint64_t size)> bySize;
};

struct ScanProgress {
    std::uint64_t files = 0;
    std::uint64_t folders = 0;
};

struct ScanControl {
    // Called now and then with the counts so far, always from the calling
    // thread.
    std::function<void(const ScanProgress&)> progress;
    const std::atomic<bool>* cancel = nullptr;
};

struct ScanResult {
    // By path: first those reached through real folders only, then those
    // reached through links to folders, then links to files.
    std::vector<ScannedFile> files;
    ScanProgress counts;
    std::vector<std::string> unreadableFolders;
    bool cancelled = false;
};

// Walks `root`. An unreadable root gives no file and names the root among
// the unreadable folders.
ScanResult ScanFolder(const std::string& root, const ScanRequest& request, const ScanControl& control = {});

} // namespace tavelo
