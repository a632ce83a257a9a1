#pragma once
// The JSON form of a book used by tavelo-cli:
// {"subjects":[{"general_title":"…","name":"…","state":1,"expected":"…","documents":["…"]}]}

#include <nlohmann/json.hpp>
#include <stdexcept>

#include "book/book_file.h"

namespace tavelo::cli {

// JSON that does not have the book's shape; what() is a French sentence.
class JsonShapeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

nlohmann::ordered_json BookToJson(const SubjectList& subjects);
// Missing "state", "expected" and "documents" take 0, "" and [].
SubjectList BookFromJson(const nlohmann::json& json);

} // namespace tavelo::cli
