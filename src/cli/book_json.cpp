#include "cli/book_json.h"

#include "base/tr.h"

#include <limits>

namespace tavelo::cli {

nlohmann::ordered_json BookToJson(const SubjectList& subjects)
{
    auto list = nlohmann::ordered_json::array();
    for (const auto& s : subjects) {
        nlohmann::ordered_json entry;
        entry["general_title"] = s->GetGeneralTitle();
        entry["name"] = s->GetSubjectName();
        entry["state"] = s->GetState();
        entry["expected"] = s->GetExpectedText();
        entry["documents"] = s->GetDocumentPaths();
        list.push_back(std::move(entry));
    }
    nlohmann::ordered_json root;
    root["subjects"] = std::move(list);
    return root;
}

namespace {

std::string Where(std::size_t index)
{
    return Format(Tr("tavelo-cli", "sujet n° %1"), {std::to_string(index + 1)});
}

const std::string& RequireString(const nlohmann::json& entry, const char* key, std::size_t index, bool optional,
                                 const std::string& fallback)
{
    const auto it = entry.find(key);
    if (it == entry.end()) {
        if (optional)
            return fallback;
        throw JsonShapeError(Format(Tr("tavelo-cli", "%1 : la clé « %2 » manque."), {Where(index), key}));
    }
    if (!it->is_string())
        throw JsonShapeError(Format(Tr("tavelo-cli", "%1 : « %2 » doit être un texte."), {Where(index), key}));
    return it->get_ref<const std::string&>();
}

} // namespace

SubjectList BookFromJson(const nlohmann::json& json)
{
    if (!json.is_object())
        throw JsonShapeError(Tr("tavelo-cli", "le document JSON doit être un objet."));
    const auto subjects = json.find("subjects");
    if (subjects == json.end())
        throw JsonShapeError(Tr("tavelo-cli", "la clé « subjects » manque."));
    if (!subjects->is_array())
        throw JsonShapeError(Tr("tavelo-cli", "« subjects » doit être une liste."));

    static const std::string empty;
    SubjectList out;
    out.reserve(subjects->size());
    for (std::size_t i = 0; i < subjects->size(); ++i) {
        const auto& entry = (*subjects)[i];
        if (!entry.is_object())
            throw JsonShapeError(Format(Tr("tavelo-cli", "%1 : chaque sujet doit être un objet."), {Where(i)}));
        const std::string& title = RequireString(entry, "general_title", i, false, empty);
        const std::string& name = RequireString(entry, "name", i, false, empty);
        std::int32_t state = 0;
        if (const auto it = entry.find("state"); it != entry.end()) {
            if (!it->is_number_integer())
                throw JsonShapeError(Format(Tr("tavelo-cli", "%1 : « state » doit être un nombre entier."), {Where(i)}));
            const auto value = it->get<std::int64_t>();
            if (it->is_number_unsigned() && it->get<std::uint64_t>() > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
                throw JsonShapeError(Format(Tr("tavelo-cli", "%1 : « state » est hors des limites d'un entier de 32 bits."), {Where(i)}));
            if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
                throw JsonShapeError(Format(Tr("tavelo-cli", "%1 : « state » est hors des limites d'un entier de 32 bits."), {Where(i)}));
            state = static_cast<std::int32_t>(value);
        }
        auto record = std::make_unique<CTenorels>(title, name, state);
        record->SetExpectedText(RequireString(entry, "expected", i, true, empty));
        if (const auto it = entry.find("documents"); it != entry.end()) {
            if (!it->is_array())
                throw JsonShapeError(Format(Tr("tavelo-cli", "%1 : « documents » doit être une liste de chemins."), {Where(i)}));
            for (const auto& path : *it) {
                if (!path.is_string())
                    throw JsonShapeError(Format(Tr("tavelo-cli", "%1 : chaque document doit être un chemin (un texte)."), {Where(i)}));
                record->AddDocumentPath(path.get<std::string>());
            }
        }
        out.push_back(std::move(record));
    }
    return out;
}

} // namespace tavelo::cli
