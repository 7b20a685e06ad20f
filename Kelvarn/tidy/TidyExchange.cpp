#include "tidy/TidyExchange.h"

#include "tidy/NameRedaction.h"

#include "support/Unicode.h"

#include <nlohmann/json.hpp>

#include <optional>

namespace kelvarn::tidy {

namespace {

constexpr std::size_t replyExcerptCharacters = 300;

// The first count user-perceived characters of the text, as valid UTF-8.
std::string firstCharacters(std::string_view text, std::size_t count) {
    // A character is rarely longer than a few code points; cut well past that, between two
    // sequences, before counting, so a reply of megabytes is not converted whole.
    std::size_t cut = std::min(text.size(), count * 64);
    while (cut < text.size() && cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    const std::u32string codePoints = unicode::toUtf32(text.substr(0, cut));
    const std::vector<std::uint32_t> ends = unicode::characterEnds(codePoints);
    const std::size_t characters = ends.empty() ? codePoints.size() : ends.size();
    std::size_t end = codePoints.size();
    if (characters > count) {
        end = ends.empty() ? count : ends[count - 1];
    }
    return unicode::toUtf8(std::u32string_view(codePoints).substr(0, end));
}

Error unreadable(std::string_view reply) {
    return Error{"Couldn't read Claude's reply:\n" +
                 firstCharacters(reply, replyExcerptCharacters)};
}

std::optional<NotesTarget> targetOf(std::string_view key, const Uuid& student) {
    if (key == overallKey) {
        return OverallNotes{student};
    }
    if (const std::optional<SectionID> section = sections::fromRawValue(key)) {
        return SectionNotes{student, *section};
    }
    return std::nullopt;
}

} // namespace

TidyInput tidyInput(const StudentRecord& student) {
    TidyInput input;
    for (const SectionID section : sections::allCases) {
        const std::string& notes = student.grade(section).notes;
        if (!notes.empty()) {
            input.emplace(sections::rawValue(section), redact(notes, student.name));
        }
    }
    if (!student.overallNotes.empty()) {
        input.emplace(overallKey, redact(student.overallNotes, student.name));
    }
    return input;
}

Result<std::string> promptText(const TidyInput& input) {
    try {
        return nlohmann::json(input).dump();
    } catch (const nlohmann::json::exception& error) {
        // Only text that is not UTF-8 fails to serialise.
        return Error{std::string("The notes could not be written as JSON: ") + error.what()};
    }
}

Result<TidiedNotes> readReply(std::string_view reply, const StudentRecord& student,
                              const TidyInput& sent) {
    const std::size_t open = reply.find('{');
    const std::size_t close = reply.rfind('}');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open) {
        return unreadable(reply);
    }
    const nlohmann::json object =
        nlohmann::json::parse(reply.substr(open, close - open + 1), nullptr, false);
    if (!object.is_object()) {
        return unreadable(reply);
    }
    TidiedNotes tidied;
    for (const auto& [key, value] : object.items()) {
        if (!value.is_string()) {
            return unreadable(reply);
        }
        if (!sent.contains(key)) {
            continue;
        }
        if (const std::optional<NotesTarget> target = targetOf(key, student.id)) {
            tidied[*target] = restoreName(value.get_ref<const std::string&>(), student.name);
        }
    }
    return tidied;
}

} // namespace kelvarn::tidy
