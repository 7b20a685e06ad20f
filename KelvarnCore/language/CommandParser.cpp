#include "language/CommandParser.h"

#include "language/ClassOrderPhrases.h"
#include "language/CommentNames.h"
#include "language/NameIndex.h"
#include "support/Lines.h"
#include "support/Unicode.h"

#include <unicode/regex.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <unordered_map>

namespace kelvarn {

namespace detail {

struct ParserRoster {
    // Every student, in class order: "student 3" is the third.
    std::vector<Uuid> order;
    std::vector<NameKey> nameKeys;
    std::size_t maxNameTokens = 1;
    NameIndex index;
};

} // namespace detail

namespace {

// What segment() charges for each way of covering tokens.
constexpr double fillerCost = 0.3;
constexpr double phraseCost = 1.0;
constexpr double uniqueNameBaseCost = 1.0; // plus (1 − score)
constexpr double ambiguousNameCost = 1.5;

// The phrase table with its tokens numbered, so a phrase is matched by comparing integers.
struct PhraseNumbers {
    std::unordered_map<std::string, int> wordNumbers;
    std::vector<std::vector<int>> phrases;
};

const PhraseNumbers& phraseNumbers() {
    static const PhraseNumbers numbers = [] {
        PhraseNumbers out;
        for (const PhraseEntry& entry : phrase_table::phrases()) {
            std::vector<int> phrase;
            for (const std::string& token : entry.tokens) {
                const auto [it, added] =
                    out.wordNumbers.try_emplace(token, static_cast<int>(out.wordNumbers.size()));
                phrase.push_back(it->second);
            }
            out.phrases.push_back(std::move(phrase));
        }
        return out;
    }();
    return numbers;
}

// The tokens of one sentence with everything segment() asks of each worked out once.
struct PreparedTokens {
    std::vector<std::string> tokens;
    std::vector<HeardWord> words;
    std::vector<int> phraseWords; // -1: in no phrase
    std::vector<bool> isFiller;
    std::vector<bool> isCommandWord;

    std::size_t size() const { return words.size(); }
};

PreparedTokens prepare(const std::vector<std::string>& tokens, const NameIndex& index) {
    const PhraseNumbers& numbers = phraseNumbers();
    const auto& fillers = phrase_table::fillers();
    const auto& commandWords = phrase_table::commandWords();
    PreparedTokens out;
    out.tokens = tokens;
    for (const std::string& token : tokens) {
        out.words.push_back(index.prepare(unicode::toUtf32(token)));
        const auto found = numbers.wordNumbers.find(token);
        out.phraseWords.push_back(found == numbers.wordNumbers.end() ? -1 : found->second);
        out.isFiller.push_back(fillers.contains(token));
        out.isCommandWord.push_back(commandWords.contains(token));
    }
    return out;
}

// The cheapest cover of prepared tokens by fillers, phrases and names, found from the end
// backwards: best[i] is the cheapest cover of the tokens from i on.
class Segmenter {
public:
    Segmenter(const detail::ParserRoster& roster, const PreparedTokens& tokens, bool allowFillers)
        : m_roster(roster), m_tokens(tokens), m_allowFillers(allowFillers),
          m_best(tokens.size() + 1) {
        m_best.back().covered = true;
        m_best.back().next = tokens.size();
    }

    std::optional<std::vector<Command>> run() {
        const std::size_t n = m_tokens.size();
        for (std::size_t i = n; i-- > 0;) {
            Cover candidate;
            offerFillerAndPhrases(i, candidate);
            offerNames(i, candidate);
            m_best[i] = std::move(candidate);
        }
        if (!m_best[0].covered) {
            return std::nullopt;
        }
        std::vector<Command> result;
        for (std::size_t i = 0; i < n; i = m_best[i].next) {
            if (m_best[i].command) {
                result.push_back(*m_best[i].command);
            }
        }
        return result;
    }

private:
    struct Cover {
        double cost = 0;
        bool covered = false;
        std::optional<Command> command; // the first command of this cover, if any
        std::size_t next = 0;           // where the rest of the cover starts
    };

    // Tokens i..j-1 as one option of this cost, followed by the best cover from j.
    void offer(Cover& candidate, std::size_t j, double cost, const Command* command) const {
        if (!m_best[j].covered) {
            return;
        }
        const double total = cost + m_best[j].cost;
        if (!candidate.covered || total < candidate.cost) {
            candidate.cost = total;
            candidate.covered = true;
            candidate.command = command ? std::optional<Command>(*command) : std::nullopt;
            candidate.next = j;
        }
    }

    void offerFillerAndPhrases(std::size_t i, Cover& candidate) const {
        if (m_allowFillers && m_tokens.isFiller[i]) {
            offer(candidate, i + 1, fillerCost, nullptr);
        }
        const auto& phrases = phrase_table::phrases();
        const auto& phraseWords = phraseNumbers().phrases;
        for (std::size_t p = 0; p < phrases.size(); ++p) {
            const std::vector<int>& phrase = phraseWords[p];
            if (phrase.size() <= m_tokens.size() - i &&
                std::equal(phrase.begin(), phrase.end(), m_tokens.phraseWords.begin() + i)) {
                offer(candidate, i + phrase.size(), phraseCost, &phrases[p].command);
            }
        }
        for (const class_order::Phrase& phrase :
             class_order::phrasesAt(m_tokens.tokens, i, m_roster.order)) {
            offer(candidate, i + phrase.length, phraseCost, &phrase.command);
        }
    }

    void offerNames(std::size_t i, Cover& candidate) {
        if (m_roster.index.empty()) {
            return;
        }
        const std::size_t spanLimit = m_roster.maxNameTokens + name_matching::nameSpanExtraTokens;
        const std::size_t longest = std::min(m_tokens.size() - i, spanLimit);
        std::u32string squashed;
        bool containsCommandWord = false;
        for (std::size_t length = 1; length <= longest; ++length) {
            const std::size_t last = i + length - 1;
            squashed += m_tokens.words[last].word.text.codePoints();
            containsCommandWord = containsCommandWord || m_tokens.isCommandWord[last];
            if (!m_best[i + length].covered) {
                continue; // the option could not be used, whatever the match
            }
            const SquashedText squashedText{Graphemes(squashed), length >= 2};
            const HeardSpan span{&m_tokens.words[i], length, true, &squashedText};
            NameMatch match = m_roster.index.match(span, m_scratch);
            if (match.ids.empty() ||
                (match.score < name_matching::strongMatch && containsCommandWord)) {
                continue;
            }
            if (match.ids.size() == 1) {
                const Command command = commands::Student{match.ids.front()};
                offer(candidate, i + length, (1.0 - match.score) + uniqueNameBaseCost, &command);
            } else {
                const Command command = commands::AmbiguousStudent{std::move(match.ids)};
                offer(candidate, i + length, ambiguousNameCost, &command);
            }
        }
    }

    const detail::ParserRoster& m_roster;
    const PreparedTokens& m_tokens;
    bool m_allowFillers;
    std::vector<Cover> m_best;
    NameIndex::Scratch m_scratch;
};

std::optional<std::vector<Command>> segmentPrepared(const detail::ParserRoster& roster,
                                                    const PreparedTokens& tokens,
                                                    bool allowFillers) {
    return Segmenter(roster, tokens, allowFillers).run();
}

// "comment NAME" at the end of a sentence, after nothing or after commands ("nadia intro comment
// thesis vague"). The name is a few words: a longer sentence after "comment" is dictation.
std::optional<std::vector<Command>>
commandsEndingInComment(const detail::ParserRoster& roster,
                        const std::vector<std::string>& tokens) {
    const auto comment = std::find(tokens.begin(), tokens.end(), "comment");
    const auto nameWords = static_cast<std::size_t>(tokens.end() - comment - 1);
    if (comment == tokens.end() || nameWords == 0 || nameWords > comment_names::maxWords) {
        return std::nullopt;
    }
    std::vector<Command> commands;
    if (comment != tokens.begin()) {
        const std::vector<std::string> before(tokens.begin(), comment);
        // Fillers alone ("um comment …") leave no command before it.
        auto segmented = segmentPrepared(roster, prepare(before, roster.index), true);
        if (!segmented) {
            return std::nullopt;
        }
        commands = std::move(*segmented);
    }
    commands.push_back(commands::InsertComment{join(std::vector(comment + 1, tokens.end()))});
    return commands;
}

// "^\s*correction[\s,:;.\-—]*", case-insensitive: what a correction's text starts after.
const icu::RegexPattern* correctionPrefix() {
    static const std::unique_ptr<icu::RegexPattern> pattern = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::RegexPattern> compiled(icu::RegexPattern::compile(
            icu::UnicodeString::fromUTF8("^\\s*correction[\\s,:;.\\-\u2014]*"),
            UREGEX_CASE_INSENSITIVE, status));
        return U_SUCCESS(status) ? std::move(compiled) : nullptr;
    }();
    return pattern.get();
}

std::string withoutCorrectionPrefix(const std::string& sentence) {
    const icu::UnicodeString input = icu::UnicodeString::fromUTF8(sentence);
    const icu::RegexPattern* pattern = correctionPrefix();
    if (pattern == nullptr) {
        return sentence;
    }
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexMatcher> matcher(pattern->matcher(input, status));
    if (U_FAILURE(status)) {
        return sentence;
    }
    const icu::UnicodeString rest = matcher->replaceFirst(icu::UnicodeString(), status);
    if (U_FAILURE(status)) {
        return sentence;
    }
    std::string out;
    rest.toUTF8String(out);
    return out;
}

} // namespace

CommandParser::CommandParser(const std::vector<RosterEntry>& roster) {
    auto data = std::make_shared<detail::ParserRoster>();
    for (const RosterEntry& entry : roster) {
        data->order.push_back(entry.id);
        const std::vector<std::string> tokens = tokenize(entry.name);
        if (tokens.empty()) {
            continue;
        }
        data->maxNameTokens = std::max(data->maxNameTokens, tokens.size());
        for (NameKey& key : nameKeysFor(entry.id, entry.name, entry.surname)) {
            data->nameKeys.push_back(std::move(key));
        }
    }
    data->index = NameIndex(data->nameKeys);
    m_roster = std::move(data);
}

const std::vector<NameKey>& CommandParser::nameKeys() const {
    return m_roster->nameKeys;
}

std::size_t CommandParser::maxNameTokens() const {
    return m_roster->maxNameTokens;
}

ParsedSentence CommandParser::parseSentence(std::string_view sentence) const {
    const std::vector<std::string> tokens = tokenize(sentence);
    if (tokens.empty()) {
        return parsed::Filler{};
    }
    const std::string text = unicode::repairUtf8(sentence);
    if (tokens.front() == "correction") {
        return parsed::Correction{unicode::trimWhitespace(withoutCorrectionPrefix(text))};
    }
    // Before the whole sentence is prepared: only the words before "comment" need it then.
    if (auto withComment = commandsEndingInComment(*m_roster, tokens)) {
        return parsed::Commands{std::move(*withComment)};
    }
    const PreparedTokens prepared = prepare(tokens, m_roster->index);
    std::optional<std::vector<Command>> first = segmentPrepared(*m_roster, prepared, true);
    if (!first) {
        return parsed::Note{unicode::trimWhitespace(text)};
    }
    if (!first->empty()) {
        return parsed::Commands{std::move(*first)};
    }
    // Every token was read as a filler: a student called Mark is chosen by "Mark" alone.
    std::optional<std::vector<Command>> second = segmentPrepared(*m_roster, prepared, false);
    if (!second || second->empty()) {
        return parsed::Filler{};
    }
    return parsed::Commands{std::move(*second)};
}

std::vector<ParsedSentence> CommandParser::parse(std::string_view text) const {
    std::vector<ParsedSentence> out;
    for (const std::string& sentence : sentences(text)) {
        out.push_back(parseSentence(sentence));
    }
    return out;
}

bool CommandParser::readsAsCommands(std::string_view text) const {
    const std::vector<ParsedSentence> sentences = parse(text);
    return !sentences.empty() && std::all_of(sentences.begin(), sentences.end(), [](const auto& s) {
        return std::holds_alternative<parsed::Commands>(s);
    });
}

std::optional<std::vector<Command>> CommandParser::segment(const std::vector<std::string>& tokens,
                                                           bool allowFillers) const {
    return segmentPrepared(*m_roster, prepare(tokens, m_roster->index), allowFillers);
}

NameMatch CommandParser::matchName(std::string_view text) const {
    const NameIndex& index = m_roster->index;
    if (index.empty()) {
        return {};
    }
    const std::vector<std::string_view> pieces = splitWords(text);
    std::vector<HeardWord> words;
    std::u32string squashed;
    for (const std::string_view piece : pieces) {
        std::u32string word = unicode::toUtf32(piece);
        squashed += word;
        words.push_back(index.prepare(std::move(word)));
    }
    const SquashedText squashedText{Graphemes(std::move(squashed)),
                                    text.find(' ') != std::string_view::npos};
    // Canonical text is the words joined by single spaces.
    const HeardSpan span{words.data(), words.size(), join(pieces) == text, &squashedText};
    NameIndex::Scratch scratch;
    return index.match(span, scratch);
}

std::vector<Uuid> CommandParser::studentsMentioned(std::string_view text,
                                                   const std::vector<Uuid>& candidates) const {
    std::vector<Uuid> result;
    const NameIndex& index = m_roster->index;
    const std::vector<std::string> tokens = tokenize(text);
    if (tokens.empty() || index.empty()) {
        return result;
    }
    const PreparedTokens prepared = prepare(tokens, index);
    const std::size_t longest =
        std::min(tokens.size(), m_roster->maxNameTokens + name_matching::nameSpanExtraTokens);
    NameIndex::Scratch scratch;
    for (std::size_t length = longest; length >= 1 && result.empty(); --length) {
        for (std::size_t start = 0; start + length <= tokens.size(); ++start) {
            std::u32string squashed;
            for (std::size_t i = start; i < start + length; ++i) {
                squashed += prepared.words[i].word.text.codePoints();
            }
            const SquashedText squashedText{Graphemes(std::move(squashed)), length >= 2};
            const HeardSpan span{&prepared.words[start], length, true, &squashedText};
            for (const Uuid& id : index.match(span, scratch).ids) {
                const bool candidate =
                    std::find(candidates.begin(), candidates.end(), id) != candidates.end();
                if (candidate && std::find(result.begin(), result.end(), id) == result.end()) {
                    result.push_back(id);
                }
            }
        }
    }
    return result;
}

std::vector<std::string> CommandParser::vocabulary() const {
    std::set<std::string> words;
    for (const PhraseEntry& entry : phrases()) {
        words.insert(join(entry.tokens));
    }
    for (const NameKey& key : nameKeys()) {
        words.insert(key.key);
    }
    return {words.begin(), words.end()};
}

} // namespace kelvarn
