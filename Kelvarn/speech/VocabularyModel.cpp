#include "speech/VocabularyModel.h"

#include <QString>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <map>

namespace kelvarn::speech::vocabularyModel {

namespace {

using Gram = std::vector<std::string>;
constexpr double discount = 0.5;
constexpr double noProbability = -99.0;

std::string number(double value) {
    std::array<char, 32> text{};
    const auto end =
        std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed, 4)
            .ptr;
    return {text.data(), end};
}

struct Counts {
    // By order: one, two and three words.
    std::array<std::map<Gram, double>, 3> grams;
    // By context length: the number of times each context was followed by a word, and by
    // how many different words.
    std::array<std::map<Gram, std::pair<double, double>>, 3> contexts;
};

Counts count(const std::vector<Sentence>& sentences) {
    Counts counts;
    for (const Sentence& sentence : sentences) {
        Gram words{"<s>"};
        words.insert(words.end(), sentence.begin(), sentence.end());
        words.emplace_back("</s>");
        for (std::size_t order = 1; order <= 3; ++order) {
            for (std::size_t i = 0; i + order <= words.size(); ++i) {
                Gram gram(words.begin() + static_cast<std::ptrdiff_t>(i),
                          words.begin() + static_cast<std::ptrdiff_t>(i + order));
                if (order == 1 && gram[0] == "<s>") {
                    continue;
                }
                counts.grams[order - 1][gram] += 1;
            }
        }
    }
    for (std::size_t order = 1; order <= 3; ++order) {
        for (const auto& [gram, n] : counts.grams[order - 1]) {
            auto& context = counts.contexts[order - 1][Gram(gram.begin(), gram.end() - 1)];
            context.first += n;
            context.second += 1;
        }
    }
    return counts;
}

} // namespace

std::vector<Sentence> sentences(const std::vector<std::string>& hints) {
    std::vector<Sentence> result;
    for (const std::string& hint : hints) {
        Sentence words;
        QString word;
        const auto endWord = [&] {
            if (!word.isEmpty()) {
                words.push_back(word.toStdString());
                word.clear();
            }
        };
        for (const QChar c : QString::fromStdString(hint).toLower()) {
            if (c.isLetterOrNumber() || c == u'\'') {
                word += c;
            } else {
                endWord();
            }
        }
        endWord();
        if (!words.empty()) {
            result.push_back(std::move(words));
        }
    }
    return result;
}

std::string trigramArpa(const std::vector<Sentence>& sentences) {
    const Counts counts = count(sentences);
    // Probabilities (not logarithms) by order, for the back-off weights.
    std::array<std::map<Gram, double>, 3> probability;
    double total = 0;
    for (const auto& [gram, n] : counts.grams[0]) {
        total += n;
    }
    for (const auto& [gram, n] : counts.grams[0]) {
        probability[0][gram] = n / total;
    }
    for (std::size_t order = 2; order <= 3; ++order) {
        for (const auto& [gram, n] : counts.grams[order - 1]) {
            const double seen =
                counts.contexts[order - 1].at(Gram(gram.begin(), gram.end() - 1)).first;
            probability[order - 1][gram] = (n - discount) / seen;
        }
    }
    // A context's back-off weight spreads what discounting left over across the words never
    // seen after it, in proportion to their shorter-context probabilities.
    std::array<std::map<Gram, double>, 2> backoff;
    for (std::size_t length = 1; length <= 2; ++length) {
        std::map<Gram, double> lowerSeen;
        for (const auto& [gram, p] : probability[length]) {
            const Gram context(gram.begin(), gram.end() - 1);
            const Gram shorter(gram.begin() + 1, gram.end());
            lowerSeen[context] += probability[length - 1].at(shorter);
        }
        for (const auto& [context, seen] : counts.contexts[length]) {
            const double leftOver = discount * seen.second / seen.first;
            const double rest = std::max(1e-6, 1.0 - lowerSeen[context]);
            backoff[length - 1][context] = leftOver / rest;
        }
    }

    std::string arpa = "\\data\\\n";
    const bool hasStart = !counts.grams[1].empty();
    for (std::size_t order = 1; order <= 3; ++order) {
        const std::size_t n = counts.grams[order - 1].size() + (order == 1 && hasStart ? 1 : 0);
        arpa += "ngram " + std::to_string(order) + "=" + std::to_string(n) + "\n";
    }
    for (std::size_t order = 1; order <= 3; ++order) {
        arpa += "\n\\" + std::to_string(order) + "-grams:\n";
        const auto line = [&](const Gram& gram, double logp) {
            arpa += number(logp);
            for (const std::string& word : gram) {
                arpa += ' ' + word;
            }
            if (order < 3) {
                if (const auto weight = backoff[order - 1].find(gram);
                    weight != backoff[order - 1].end()) {
                    arpa += ' ' + number(std::log10(weight->second));
                }
            }
            arpa += '\n';
        };
        if (order == 1 && hasStart) {
            line({"<s>"}, noProbability);
        }
        for (const auto& [gram, p] : probability[order - 1]) {
            line(gram, std::log10(p));
        }
    }
    arpa += "\n\\end\\\n";
    return arpa;
}

} // namespace kelvarn::speech::vocabularyModel
