#include "reading/formats/ole_container.h"

#include "base/tr.h"

#include <mutex>

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-utils.h>

namespace tavelo {

namespace {

void IgnoreLog(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

// libgsf reports damaged containers on the standard error stream; the search
// reports them itself.
void InitGsf()
{
    static std::once_flag once;
    std::call_once(once, [] {
        gsf_init();
        const auto levels = static_cast<GLogLevelFlags>(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_MESSAGE |
                                                        G_LOG_LEVEL_INFO | G_LOG_LEVEL_DEBUG);
        for (const char* domain : {"libgsf", "libgsf:msole", "GLib-GObject", "GLib"})
            g_log_set_handler(domain, levels, IgnoreLog, nullptr);
    });
}

struct Unref {
    void operator()(gpointer p) const
    {
        if (p != nullptr)
            g_object_unref(p);
    }
};

} // namespace

struct OleContainer::Handle {
    std::unique_ptr<GsfInput, Unref> input;
    std::unique_ptr<GsfInfile, Unref> infile;
};

std::optional<OleContainer> OleContainer::Open(std::string_view bytes, std::string& reason)
{
    InitGsf();
    auto handle = std::make_shared<Handle>();
    // The memory input reads the caller's bytes in place, without a copy.
    handle->input.reset(gsf_input_memory_new(reinterpret_cast<const guint8*>(bytes.data()),
                                             static_cast<gsf_off_t>(bytes.size()), FALSE));
    if (!handle->input) {
        reason = TAVELO_TR_NOOP("Search", "le fichier est vide");
        return std::nullopt;
    }
    GError* error = nullptr;
    handle->infile.reset(gsf_infile_msole_new(handle->input.get(), &error));
    if (error != nullptr)
        g_error_free(error);
    if (!handle->infile) {
        reason = TAVELO_TR_NOOP("Search", "ce n'est pas un document Office 97-2003 valide");
        return std::nullopt;
    }
    return OleContainer(std::move(handle));
}

bool OleContainer::ReadStream(const char* name, std::string& out, std::size_t maxBytes) const
{
    std::unique_ptr<GsfInput, Unref> stream(gsf_infile_child_by_name(m_handle->infile.get(), name));
    if (!stream)
        return false;
    const gsf_off_t size = gsf_input_size(stream.get());
    if (size < 0 || static_cast<std::size_t>(size) > maxBytes)
        return false;
    out.resize(static_cast<std::size_t>(size));
    std::size_t done = 0;
    while (done < out.size()) {
        const std::size_t chunk = std::min<std::size_t>(out.size() - done, std::size_t{1} << 20);
        if (gsf_input_read(stream.get(), chunk, reinterpret_cast<guint8*>(out.data() + done)) == nullptr)
            return false;
        done += chunk;
    }
    return true;
}

} // namespace tavelo
