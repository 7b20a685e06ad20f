#include "speech/MixtureWeights.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>

namespace kelvarn::speech::mixtureWeights {

namespace {

static_assert(std::endian::native == std::endian::little, "the files are little-endian");

constexpr double logBase = 1.0001;
constexpr int logShift = 10;
// Header strings are short; a longer length means the file is not a sendump.
constexpr std::int32_t maxHeaderString = 1000;

class Reader {
public:
    explicit Reader(std::string_view bytes) : m_bytes(bytes) {}

    std::optional<std::int32_t> int32() {
        if (m_bytes.size() - m_at < 4) {
            return std::nullopt;
        }
        std::int32_t value = 0;
        std::memcpy(&value, m_bytes.data() + m_at, 4);
        m_at += 4;
        return value;
    }
    std::optional<std::string_view> take(std::size_t count) {
        if (m_bytes.size() - m_at < count) {
            return std::nullopt;
        }
        const std::string_view taken = m_bytes.substr(m_at, count);
        m_at += count;
        return taken;
    }
    bool atEnd() const { return m_at == m_bytes.size(); }

private:
    std::string_view m_bytes;
    std::size_t m_at = 0;
};

// The count of a "key N" header line; -1 for another line.
int countIn(std::string_view line, std::string_view key) {
    int count = -1;
    if (line.starts_with(key)) {
        std::from_chars(line.data() + key.size(), line.data() + line.size(), count);
    }
    return count;
}

// A byte covers the logarithms that truncate to it: the middle of that step, 1 for 0.
float weightOf(std::uint8_t stored) {
    if (stored == 0) {
        return 1.0f;
    }
    const double units = (stored - 0.5) * (1 << logShift);
    return static_cast<float>(std::pow(logBase, -units));
}

void appendInt32(std::string& out, std::int32_t value) {
    char bytes[4];
    std::memcpy(bytes, &value, 4);
    out.append(bytes, 4);
}

} // namespace

Result<MixtureWeights> fromSendump(std::string_view bytes) {
    const Error malformed{"The speech model's sendump file is not in the expected format."};
    Reader reader(bytes);
    MixtureWeights result;
    int clusters = -1;
    for (;;) {
        const auto length = reader.int32();
        if (!length || *length < 0 || *length > maxHeaderString) {
            return malformed;
        }
        if (*length == 0) {
            break;
        }
        const auto line = reader.take(static_cast<std::size_t>(*length));
        if (!line) {
            return malformed;
        }
        const std::string_view text = line->substr(0, line->find('\0'));
        if (const int n = countIn(text, "feature_count "); n >= 0) {
            result.features = n;
        }
        if (const int n = countIn(text, "cluster_count "); n >= 0) {
            clusters = n;
        }
    }
    // Only the decoder's own layout: unclustered, densities then senones per stream.
    const auto densities = reader.int32();
    const auto senones = reader.int32();
    if (clusters != 0 || result.features <= 0 || !densities || !senones || *densities <= 0 ||
        *senones <= 0) {
        return malformed;
    }
    result.densities = *densities;
    result.senones = *senones;
    const std::size_t perStream = static_cast<std::size_t>(*densities) * *senones;
    result.weights.resize(perStream * result.features);
    for (std::int32_t f = 0; f < result.features; ++f) {
        for (std::int32_t d = 0; d < result.densities; ++d) {
            const auto row = reader.take(static_cast<std::size_t>(result.senones));
            if (!row) {
                return malformed;
            }
            for (std::int32_t s = 0; s < result.senones; ++s) {
                result.weights[(static_cast<std::size_t>(s) * result.features + f) *
                                   result.densities +
                               d] = weightOf(static_cast<std::uint8_t>((*row)[s]));
            }
        }
    }
    if (!reader.atEnd()) {
        return malformed;
    }
    return result;
}

std::string mixtureWeightsFile(const MixtureWeights& weights) {
    std::string out = "s3\nversion 1.0\nendhdr\n";
    appendInt32(out, 0x11223344);
    appendInt32(out, weights.senones);
    appendInt32(out, weights.features);
    appendInt32(out, weights.densities);
    appendInt32(out, static_cast<std::int32_t>(weights.weights.size()));
    const auto* data = reinterpret_cast<const char*>(weights.weights.data());
    out.append(data, weights.weights.size() * sizeof(float));
    return out;
}

} // namespace kelvarn::speech::mixtureWeights
