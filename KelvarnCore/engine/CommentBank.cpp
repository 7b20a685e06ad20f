#include "engine/CommentBank.h"

#include "engine/SideFile.h"
#include "language/CommandParser.h"
#include "language/CommentNames.h"
#include "persistence/CommentJson.h"
#include "support/Unicode.h"

namespace kelvarn {

std::optional<std::size_t> CommentBank::find(std::string_view name) const {
    const std::string key = comment_names::key(name);
    for (std::size_t i = 0; i < m_comments.size(); ++i) {
        if (!key.empty() && comment_names::key(m_comments[i].name) == key) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::string> CommentBank::load(TimePoint now) {
    if (!m_storage) {
        return std::nullopt;
    }
    return loadSideFile(
        *m_storage, StoreStorage::File::comments, now,
        {"the comment bank", "comment", "comments.json"},
        [&](std::string_view text) {
            auto comments = decodeComments(text);
            if (comments) {
                m_comments = std::move(comments).value();
            }
            return bool(comments);
        },
        m_saveBlocked);
}

std::optional<std::string> CommentBank::invalid(const std::string& name, const std::string& text) {
    const std::size_t words = CommandParser::tokenize(name).size();
    if (words == 0) {
        return "A comment needs a short name with a word to say.";
    }
    if (words > comment_names::maxWords) {
        return "“" + name + "” is too long for a short name: at most " +
               std::to_string(comment_names::maxWords) + " words are heard after “comment”.";
    }
    if (text.empty()) {
        return "A comment needs a text.";
    }
    return std::nullopt;
}

CommentBank::Outcome CommentBank::add(std::string name, std::string text) {
    name = unicode::trimWhitespace(name);
    text = unicode::trimWhitespace(text);
    if (auto refused = invalid(name, text)) {
        return {std::move(refused), {}};
    }
    if (const auto existing = find(name)) {
        Comment& comment = m_comments[*existing];
        comment.name = std::move(name);
        comment.text = std::move(text);
    } else {
        m_comments.push_back(Comment{std::move(name), std::move(text)});
    }
    return {std::nullopt, save()};
}

CommentBank::Outcome CommentBank::edit(std::string_view name, std::string newName,
                                       std::string newText) {
    const auto index = find(name);
    if (!index) {
        return {"No comment is called “" + std::string(name) + "”.", {}};
    }
    newName = unicode::trimWhitespace(newName);
    newText = unicode::trimWhitespace(newText);
    if (auto refused = invalid(newName, newText)) {
        return {std::move(refused), {}};
    }
    if (const auto other = find(newName); other && *other != *index) {
        return {"Another comment is already called “" + m_comments[*other].name + "”.", {}};
    }
    m_comments[*index].name = std::move(newName);
    m_comments[*index].text = std::move(newText);
    return {std::nullopt, save()};
}

CommentBank::Outcome CommentBank::remove(std::string_view name) {
    const auto index = find(name);
    if (!index) {
        return {"No comment is called “" + std::string(name) + "”.", {}};
    }
    m_comments.erase(m_comments.begin() + static_cast<std::ptrdiff_t>(*index));
    return {std::nullopt, save()};
}

CommentBank::Merged CommentBank::merge(const std::vector<Comment>& comments, Result<void>& saved) {
    Merged merged;
    for (const Comment& comment : comments) {
        const std::string name = unicode::trimWhitespace(comment.name);
        const std::string text = unicode::trimWhitespace(comment.text);
        if (invalid(name, text)) {
            ++merged.refused;
        } else if (const auto existing = find(name); !existing) {
            m_comments.push_back(Comment{name, text});
            ++merged.added;
        } else if (m_comments[*existing].text != text) {
            m_comments[*existing].text = text;
            ++merged.newText;
        } else {
            ++merged.same;
        }
    }
    saved = merged.added + merged.newText > 0 ? save() : Result<void>();
    return merged;
}

Result<void> CommentBank::countUse(std::size_t index) {
    ++m_comments.at(index).uses;
    return save();
}

Result<void> CommentBank::save() {
    if (!m_storage) {
        return {};
    }
    if (m_saveBlocked) {
        return Error{"comments.json could not be read, so it is kept as it is"};
    }
    return m_storage->writeFile(StoreStorage::File::comments, encodeComments(m_comments));
}

} // namespace kelvarn
