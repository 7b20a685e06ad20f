#pragma once

#include "model/Level.h"
#include "model/SectionID.h"
#include "support/Uuid.h"

#include <cstddef>
#include <string>
#include <variant>
#include <vector>

namespace kelvarn {

// The parsed form of one spoken command.
namespace commands {

struct Student {
    Uuid id;
    friend bool operator==(const Student&, const Student&) = default;
};
// A name that fits several students equally well; two or more ids, in roster order.
struct AmbiguousStudent {
    std::vector<Uuid> ids;
    friend bool operator==(const AmbiguousStudent&, const AmbiguousStudent&) = default;
};
// "student N" for a number past the end of the class.
struct NoSuchStudent {
    std::size_t number = 0;
    friend bool operator==(const NoSuchStudent&, const NoSuchStudent&) = default;
};
// "comment NAME": files the comment of the bank with that short name (as heard).
struct InsertComment {
    std::string name;
    friend bool operator==(const InsertComment&, const InsertComment&) = default;
};
struct Section {
    SectionID section;
    friend bool operator==(const Section&, const Section&) = default;
};
struct Level {
    kelvarn::Level level;
    friend bool operator==(const Level&, const Level&) = default;
};

#define KELVARN_PAYLOADLESS_COMMAND(Name)                                                          \
    struct Name {                                                                                  \
        friend bool operator==(const Name&, const Name&) = default;                                \
    }
KELVARN_PAYLOADLESS_COMMAND(Undo);
KELVARN_PAYLOADLESS_COMMAND(Unfocus);
KELVARN_PAYLOADLESS_COMMAND(NextStudent);
KELVARN_PAYLOADLESS_COMMAND(PreviousStudent);
KELVARN_PAYLOADLESS_COMMAND(NextSection);
KELVARN_PAYLOADLESS_COMMAND(PreviousSection);
KELVARN_PAYLOADLESS_COMMAND(PauseListening);
KELVARN_PAYLOADLESS_COMMAND(ResumeListening);
KELVARN_PAYLOADLESS_COMMAND(ClearNotes);
KELVARN_PAYLOADLESS_COMMAND(Cancel);
// The next student in class order with a section still without a level.
KELVARN_PAYLOADLESS_COMMAND(NextUngraded);
#undef KELVARN_PAYLOADLESS_COMMAND

} // namespace commands

using Command =
    std::variant<commands::Student, commands::AmbiguousStudent, commands::Section, commands::Level,
                 commands::Undo, commands::Unfocus, commands::NextStudent,
                 commands::PreviousStudent, commands::NextSection, commands::PreviousSection,
                 commands::PauseListening, commands::ResumeListening, commands::ClearNotes,
                 commands::Cancel, commands::NoSuchStudent, commands::NextUngraded,
                 commands::InsertComment>;

} // namespace kelvarn
