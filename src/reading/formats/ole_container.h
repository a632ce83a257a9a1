#pragma once
// Read access to an OLE2 compound file held in memory (libgsf).

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tavelo {

class OleContainer {
public:
    // Nothing when the bytes are not a compound file; `reason` says why, in French.
    static std::optional<OleContainer> Open(std::string_view bytes, std::string& reason);

    // The whole stream of that name at the top of the container, at most
    // `maxBytes`; false when there is none, it is larger, or it cannot be read.
    bool ReadStream(const char* name, std::string& out, std::size_t maxBytes = std::size_t{256} << 20) const;

private:
    struct Handle;
    explicit OleContainer(std::shared_ptr<Handle> handle) : m_handle(std::move(handle)) {}
    std::shared_ptr<Handle> m_handle;
};

} // namespace tavelo
