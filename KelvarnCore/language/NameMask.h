#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kelvarn {

// Anonymous grading's view of texts: each student's name, as written or as heard ("Zoë Park",
// "zoe park", "Ford-Lowe", a first name or a surname alone), shown as "Student N", N being the
// place in the class. A word that belongs to the names of several students is shown as
// "Student ?". The words that commands are made of are never taken for names.
class NameMask final {
public:
    // The class's names in class order.
    explicit NameMask(const std::vector<std::string>& names);

    static std::string label(std::size_t index) { return "Student " + std::to_string(index + 1); }

    std::string masked(std::string_view text) const;
    // The other way, for a text the user edited while names were hidden: each "Student N" of the
    // class becomes the student's name, so the text means what it meant to the user.
    std::string unmasked(std::string_view text) const;

private:
    static constexpr std::size_t ambiguous = static_cast<std::size_t>(-1);
    void add(const std::string& key, std::size_t index);

    std::vector<std::string> m_names;
    // Words of a name, folded and joined by spaces, to the student they name.
    std::unordered_map<std::string, std::size_t> m_keys;
    std::size_t m_longest = 0;
};

} // namespace kelvarn
