#pragma once

#include "model/Comment.h"
#include "persistence/StoreStorage.h"
#include "support/Result.h"
#include "support/Time.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvarn {

// The user's comments, in the order they were added, and their file. Names are unique as
// spoken: "Thesis vague" and "thesis  VAGUE" are one name. Owned by the store's thread.
class CommentBank final {
public:
    // Without storage the comments live only in memory.
    explicit CommentBank(StoreStorage* storage) : m_storage(storage) {}

    const std::vector<Comment>& comments() const { return m_comments; }
    // The comment with this name as spoken; nothing when there is none.
    std::optional<std::size_t> find(std::string_view name) const;

    // Reads the file. An unreadable file is set aside, or, when it cannot be, kept and never
    // saved over; either way the returned warning says what happened.
    std::optional<std::string> load(TimePoint now);

    // What a change did, or why it was refused; `saved` holds an error when the change holds
    // for this run only.
    struct Outcome {
        std::optional<std::string> refused;
        Result<void> saved;
    };
    // A new comment, or a new text for the one of that name (which keeps its count of uses).
    Outcome add(std::string name, std::string text);
    // Renames and rewrites the comment called `name`.
    Outcome edit(std::string_view name, std::string newName, std::string newText);
    Outcome remove(std::string_view name);
    // Comments from elsewhere (a CSV file): each added as add() would.
    struct Merged {
        std::size_t added = 0;
        std::size_t newText = 0;
        std::size_t same = 0;
        // Without a name to say or without a text.
        std::size_t refused = 0;
    };
    Merged merge(const std::vector<Comment>& comments, Result<void>& saved);
    Result<void> countUse(std::size_t index);

private:
    static std::optional<std::string> invalid(const std::string& name, const std::string& text);
    Result<void> save();

    StoreStorage* m_storage;
    std::vector<Comment> m_comments;
    // Set while an unreadable file is left in place: saving would destroy the user's comments.
    std::optional<std::string> m_saveBlocked;
};

} // namespace kelvarn
