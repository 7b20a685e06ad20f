#include "speech/WavFile.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <optional>

namespace kelvarn::speech::wavFile {

namespace {

static_assert(std::endian::native == std::endian::little, "WAV samples are read in place");

constexpr std::uint16_t formatPCM = 1;
constexpr std::uint16_t formatFloat = 3;
constexpr std::uint16_t formatExtensible = 0xFFFE;

std::uint32_t le32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

std::uint16_t le16(std::string_view bytes, std::size_t at) {
    std::uint16_t value = 0;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

struct Layout {
    std::uint16_t encoding = 0;
    std::uint16_t channels = 0;
    std::uint32_t rate = 0;
    std::uint16_t bits = 0;
};

std::optional<Layout> readFormat(std::string_view chunk) {
    if (chunk.size() < 16) {
        return std::nullopt;
    }
    Layout layout{le16(chunk, 0), le16(chunk, 2), le32(chunk, 4), le16(chunk, 14)};
    // The sub-format's first two bytes are the plain format code.
    if (layout.encoding == formatExtensible) {
        if (chunk.size() < 26) {
            return std::nullopt;
        }
        layout.encoding = le16(chunk, 24);
    }
    return layout;
}

std::vector<float> samplesOf(const Layout& layout, std::string_view data) {
    std::vector<float> samples;
    if (layout.encoding == formatPCM) {
        samples.resize(data.size() / 2);
        for (std::size_t i = 0; i < samples.size(); ++i) {
            samples[i] =
                static_cast<float>(static_cast<std::int16_t>(le16(data, i * 2))) / 32768.0f;
        }
    } else {
        samples.resize(data.size() / 4);
        if (!samples.empty()) {
            std::memcpy(samples.data(), data.data(), samples.size() * sizeof(float));
        }
    }
    return samples;
}

} // namespace

Result<AudioBuffer> parse(std::string_view bytes) {
    if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "WAVE") {
        return Error{"not a WAV file"};
    }
    std::optional<Layout> layout;
    std::optional<std::string_view> data;
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const std::string_view id = bytes.substr(at, 4);
        const std::size_t size = le32(bytes, at + 4);
        const std::size_t available = bytes.size() - at - 8;
        // Writers that stream leave the data size unset or too large: take what is there.
        const std::string_view body = bytes.substr(at + 8, std::min(size, available));
        if (id == "fmt ") {
            layout = readFormat(body);
        } else if (id == "data") {
            data = body;
        }
        if (size > available) {
            break;
        }
        at += 8 + size + (size % 2);
    }
    if (!layout || !data) {
        return Error{"a WAV file without format or samples"};
    }
    const bool int16 = layout->encoding == formatPCM && layout->bits == 16;
    const bool float32 = layout->encoding == formatFloat && layout->bits == 32;
    if (!int16 && !float32) {
        return Error{"only 16-bit or 32-bit float WAV files are read"};
    }
    if (layout->channels == 0 || layout->rate == 0 || layout->rate > 768000) {
        return Error{"a WAV file with an impossible sample rate or channel count"};
    }
    std::vector<float> samples = samplesOf(*layout, *data);
    samples.resize(samples.size() - samples.size() % layout->channels);
    return AudioBuffer{
        AudioFormat{static_cast<double>(layout->rate), layout->channels, SampleType::float32},
        std::move(samples)};
}

Result<AudioBuffer> read(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return Error{path.string() + " is not a readable file"};
    }
    const auto size = std::filesystem::file_size(path, error);
    if (error || size > maxBytes) {
        return Error{path.string() + " is too large"};
    }
    std::ifstream in(path, std::ios::binary);
    std::string bytes(size, '\0');
    if (!in.read(bytes.data(), static_cast<std::streamsize>(size))) {
        return Error{"Couldn't read " + path.string()};
    }
    auto audio = parse(bytes);
    if (!audio) {
        return Error{path.string() + ": " + audio.error()};
    }
    return audio;
}

std::string encode(const std::vector<std::int16_t>& samples, int sampleRate) {
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * sizeof(std::int16_t));
    std::string bytes;
    const auto put32 = [&bytes](std::uint32_t value) {
        bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
    };
    const auto put16 = [&bytes](std::uint16_t value) {
        bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
    };
    const auto rate = static_cast<std::uint32_t>(sampleRate);
    bytes += "RIFF";
    put32(36 + dataBytes);
    bytes += "WAVEfmt ";
    put32(16);
    put16(formatPCM);
    put16(1);
    put32(rate);
    put32(rate * 2);
    put16(2);
    put16(16);
    bytes += "data";
    put32(dataBytes);
    bytes.append(reinterpret_cast<const char*>(samples.data()), dataBytes);
    return bytes;
}

} // namespace kelvarn::speech::wavFile
