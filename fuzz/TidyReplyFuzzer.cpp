// The note tidier's text work on arbitrary input: redaction of a name in notes, and reading a
// reply from the outside tool. Input lines: the student's name, the notes, then the reply.
#include "FuzzChecks.h"
#include "tidy/NameRedaction.h"
#include "tidy/TidyExchange.h"

#include <variant>

using namespace kelvarn;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = fuzz::split(input, '\n', 3);
    const std::string& name = lines[0];
    const std::string notes = lines.size() > 1 ? lines[1] : "";
    const std::string reply = lines.size() > 2 ? lines[2] : "";

    fuzz::requireValidUtf8(tidy::redact(notes, name), "redacted notes are UTF-8");

    const StudentRecord student(Uuid::generate(), name);
    const tidy::TidyInput sent{{"intro", "a"}, {"overall", "b"}, {"style", "c"}};
    const Result<tidy::TidiedNotes> read = tidy::readReply(reply, student, sent);
    if (!read) {
        fuzz::require(read.error().starts_with("Couldn't read Claude's reply:\n"),
                      "an unreadable reply says so");
        fuzz::requireValidUtf8(read.error(), "the message is UTF-8");
        return 0;
    }
    for (const auto& [target, text] : read.value()) {
        fuzz::require(studentOf(target) == student.id, "only notes of this student");
        if (const auto* section = std::get_if<SectionNotes>(&target)) {
            fuzz::require(section->section == SectionID::intro ||
                              section->section == SectionID::style,
                          "only sections that were sent");
        }
    }
    return 0;
}
