#include "base/tr.h"
#include "reading/formats/ocr.h"

#include <cstdlib>
#include <mutex>
#include <vector>

#include <leptonica/allheaders.h>
#include <tesseract/baseapi.h>

namespace tavelo {

void PixDeleter::operator()(Pix* pix) const
{
    pixDestroy(&pix);
}

namespace {

void StopEngine();

// Tesseract trusts a resolution in this range and guesses one otherwise,
// saying so on the standard error stream.
constexpr int kMinCredibleDpi = 70;
constexpr int kMaxCredibleDpi = 2400;
// What a scan without a credible resolution most likely has.
constexpr int kAssumedDpi = 300;

class Engine {
public:
    // Ends Tesseract's work at exit, before its caches of language data,
    // made during the engine's start, are torn down.
    void Stop()
    {
        const std::lock_guard lock(m_mutex);
        m_api.reset();
    }

    bool Recognise(PixPtr page, std::string& text, std::string& reason)
    {
        const std::lock_guard lock(m_mutex);
        if (!m_api && !Start(reason))
            return false;
        page = Normalised(std::move(page));
        if (!page) {
            m_transient = true;
            reason = TAVELO_TR_NOOP("Search", "la mémoire manque pour reconnaître le texte");
            return false;
        }
        int dpi = pixGetYRes(page.get());
        if (dpi < kMinCredibleDpi || dpi > kMaxCredibleDpi)
            dpi = kAssumedDpi;
        m_api->SetImage(page.get());
        m_api->SetSourceResolution(dpi);
        page.reset();
        const std::unique_ptr<char[]> utf8(m_api->GetUTF8Text());
        m_api->Clear();
        if (!utf8) {
            reason = TAVELO_TR_NOOP("Search", "la reconnaissance du texte a échoué");
            return false;
        }
        text = utf8.get();
        return true;
    }

private:
    bool Start(std::string& reason)
    {
        if (m_failed) {
            m_transient = true;
            reason = m_failure;
            return false;
        }
        // Leptonica reports damaged images on the standard error stream; the
        // search reports unreadable documents itself.
        setMsgSeverity(L_SEVERITY_NONE);
        // The reader may not write or create files: nothing of Tesseract's
        // debugging output is written anywhere. debug_file stays empty (a
        // name there is opened for writing).
        std::vector<std::string> names = {"tessedit_write_images", "tessedit_dump_pageseg_images",
                                          "classify_save_adapted_templates", "devanagari_split_debugimage",
                                          "tessedit_write_params_to_file"};
        std::vector<std::string> values = {"0", "0", "0", "0", ""};
        auto api = std::make_unique<tesseract::TessBaseAPI>();
        // The models of the installed language packages (tesseract-ocr-fra,
        // tesseract-ocr-eng), from TESSDATA_PREFIX or Tesseract's own folder.
        if (api->Init(nullptr, kOcrLanguages, tesseract::OEM_DEFAULT, nullptr, 0, &names, &values, false) != 0) {
            m_failed = true;
            m_transient = true;
            m_failure = TAVELO_TR_NOOP("Search", "la reconnaissance du texte est indisponible (les langues française "
                                                 "et anglaise de Tesseract ne sont pas installées)");
            reason = m_failure;
            return false;
        }
        api->SetPageSegMode(tesseract::PSM_AUTO);
        m_api = std::move(api);
        std::atexit(StopEngine);
        return true;
    }

    // One that Tesseract takes as it is: no transparency (transparent parts
    // of a scan are paper, so white), no palette, 1, 8 or 32 bits a pixel.
    static PixPtr Normalised(PixPtr page)
    {
        if (pixGetDepth(page.get()) == 32 && pixGetSpp(page.get()) == 4)
            page.reset(pixRemoveAlpha(page.get()));
        if (!page)
            return page;
        const int depth = pixGetDepth(page.get());
        if (pixGetColormap(page.get()) != nullptr || (depth != 1 && depth != 8 && depth != 32))
            page.reset(pixConvertTo8(page.get(), 0));
        return page;
    }

    std::mutex m_mutex;
    std::unique_ptr<tesseract::TessBaseAPI> m_api;
    bool m_failed = false;
    std::string m_failure;

public:
    bool m_transient = false;
};

Engine& TheEngine()
{
    // Never destroyed: Stop ends it in time (the reader ends without exit
    // handlers).
    static Engine* const engine = new Engine;
    return *engine;
}

void StopEngine()
{
    TheEngine().Stop();
}

} // namespace

bool RecognisePage(PixPtr page, std::string& text, std::string& reason)
{
    TheEngine().m_transient = false;
    return TheEngine().Recognise(std::move(page), text, reason);
}

bool LastOcrFailureWasTransient()
{
    return TheEngine().m_transient;
}

std::string TooManyOcrPagesReason()
{
    static_assert(kMaxOcrPages == 1000, "the reason names the limit");
    return TAVELO_TR_NOOP("Search", "il a plus de 1000 pages à reconnaître");
}

} // namespace tavelo
