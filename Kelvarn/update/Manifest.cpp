#include "update/Manifest.h"

#include <nlohmann/json.hpp>

#include <limits>

namespace kelvarn::update {

namespace {

Error unreadable(const char* key) {
    return Error{std::string("The update information has no valid “") + key + "”."};
}

const nlohmann::json* member(const nlohmann::json& object, const char* key) {
    const auto found = object.find(key);
    return found == object.end() ? nullptr : &*found;
}

} // namespace

Result<Manifest> decodeManifest(const QByteArray& text) {
    const auto json = nlohmann::json::parse(text.begin(), text.end(), nullptr, false);
    if (json.is_discarded()) {
        return Error{"The update information isn't valid JSON."};
    }
    if (!json.is_object()) {
        return Error{"The update information isn't a JSON object."};
    }
    Manifest manifest;
    for (const auto& [key, field] :
         {std::pair{"version", &manifest.version}, {"url", &manifest.url}}) {
        const auto* value = member(json, key);
        if (value == nullptr || !value->is_string()) {
            return unreadable(key);
        }
        *field = QString::fromStdString(value->get<std::string>());
    }
    const auto* build = member(json, "build");
    if (build == nullptr || !build->is_number_integer() ||
        (build->is_number_unsigned() &&
         build->get<std::uint64_t>() > std::uint64_t(std::numeric_limits<qint64>::max()))) {
        return unreadable("build");
    }
    manifest.build = build->get<qint64>();
    for (const auto& [key, field] : {std::pair{"notes", &manifest.notes},
                                     {"minimumSystemVersion", &manifest.minimumSystemVersion}}) {
        const auto* value = member(json, key);
        if (value == nullptr || value->is_null()) {
            continue;
        }
        if (!value->is_string()) {
            return unreadable(key);
        }
        *field = QString::fromStdString(value->get<std::string>());
    }
    return manifest;
}

} // namespace kelvarn::update
