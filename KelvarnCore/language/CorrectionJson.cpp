#include "language/CorrectionJson.h"

#include "support/JsonDecodeError.h"
#include "support/JsonDecoding.h"

#include <nlohmann/json.hpp>

namespace kelvarn {

namespace {

nlohmann::ordered_json toJson(const Correction& rule) {
    nlohmann::ordered_json out = nlohmann::ordered_json::object();
    out["id"] = rule.id.toString();
    out["heard"] = rule.heard;
    out["replacement"] = rule.replacement;
    return out;
}

// Throws JsonDecodeError (or nlohmann's exceptions); decodeCorrections turns them into an Error.
Correction correctionFromJson(const nlohmann::json& value) {
    return Correction(json::uuid(json::member(value, "id"), "id"),
                      json::string(json::member(value, "heard"), "heard"),
                      json::string(json::member(value, "replacement"), "replacement"));
}

} // namespace

std::string encodeCorrections(const std::vector<Correction>& rules) {
    nlohmann::ordered_json out = nlohmann::ordered_json::array();
    for (const Correction& rule : rules) {
        out.push_back(toJson(rule));
    }
    return json::dump(out);
}

Result<std::vector<Correction>> decodeCorrections(std::string_view text) {
    return json::decode<std::vector<Correction>>(text, [](const nlohmann::json& value) {
        if (!value.is_array()) {
            throw JsonDecodeError("the corrections are not an array");
        }
        std::vector<Correction> rules;
        for (const auto& element : value) {
            rules.push_back(correctionFromJson(element));
        }
        return rules;
    });
}

} // namespace kelvarn
