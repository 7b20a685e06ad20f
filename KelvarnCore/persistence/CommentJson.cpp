#include "persistence/CommentJson.h"

#include "support/JsonDecodeError.h"
#include "support/JsonDecoding.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace kelvarn {

std::string encodeComments(const std::vector<Comment>& comments) {
    nlohmann::ordered_json out = nlohmann::ordered_json::array();
    for (const Comment& comment : comments) {
        nlohmann::ordered_json element = nlohmann::ordered_json::object();
        element["name"] = comment.name;
        element["text"] = comment.text;
        element["uses"] = comment.uses;
        out.push_back(std::move(element));
    }
    return json::dump(out);
}

Result<std::vector<Comment>> decodeComments(std::string_view text) {
    return json::decode<std::vector<Comment>>(text, [](const nlohmann::json& value) {
        if (!value.is_array()) {
            throw JsonDecodeError("the comments are not an array");
        }
        std::vector<Comment> comments;
        for (const auto& element : value) {
            Comment comment{json::string(json::member(element, "name"), "name"),
                            json::string(json::member(element, "text"), "text")};
            if (const nlohmann::json* uses = json::optionalMember(element, "uses")) {
                comment.uses = std::max<std::int64_t>(0, json::integer(*uses, "uses"));
            }
            comments.push_back(std::move(comment));
        }
        return comments;
    });
}

} // namespace kelvarn
