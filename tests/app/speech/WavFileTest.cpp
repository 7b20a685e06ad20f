#include "speech/WavFile.h"
#include "speech/Pronunciation.h"
#include "speech/VocabularyModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace kelvarn::speech {
namespace {

std::string wav(std::uint16_t encoding, std::uint16_t channels, std::uint32_t rate,
                std::uint16_t bits, const std::string& data, std::uint32_t dataSize) {
    const auto u16 = [](std::uint16_t v) { return std::string(reinterpret_cast<char*>(&v), 2); };
    const auto u32 = [](std::uint32_t v) { return std::string(reinterpret_cast<char*>(&v), 4); };
    const std::uint16_t align = static_cast<std::uint16_t>(channels * bits / 8);
    std::string fmt =
        u16(encoding) + u16(channels) + u32(rate) + u32(rate * align) + u16(align) + u16(bits);
    if (encoding == 0xFFFE) {
        fmt += u16(22) + u16(bits) + u32(0) + u16(3) + std::string(14, '\0');
    }
    return "RIFF" + u32(0) + "WAVE" + "LIST" + u32(3) + "abc" + '\0' + "fmt " +
           u32(static_cast<std::uint32_t>(fmt.size())) + fmt + "data" + u32(dataSize) + data;
}

TEST(WavFileTest, ReadsIntegerAndFloatSamplesAsFloats) {
    const std::int16_t ints[] = {16384, -32768, 0, 8192};
    const std::string intData(reinterpret_cast<const char*>(ints), sizeof ints);
    const auto stereo = wavFile::parse(wav(1, 2, 22050, 16, intData, sizeof ints));
    ASSERT_TRUE(stereo) << stereo.error();
    EXPECT_EQ(stereo.value().format, (AudioFormat{22050, 2, SampleType::float32}));
    EXPECT_EQ(*stereo.value().floats(), (std::vector<float>{0.5f, -1.0f, 0.0f, 0.25f}));

    const float floats[] = {0.25f, -0.5f, 1.0f};
    const std::string floatData(reinterpret_cast<const char*>(floats), sizeof floats);
    const auto extensible = wavFile::parse(wav(0xFFFE, 1, 48000, 32, floatData, sizeof floats));
    ASSERT_TRUE(extensible) << extensible.error();
    EXPECT_EQ(extensible.value().frameCount(), 3u);
    EXPECT_EQ(extensible.value().floats()->back(), 1.0f);

    // A streaming writer's unset size: the samples that are there.
    const auto streamed = wavFile::parse(wav(1, 1, 16000, 16, intData, 0xFFFFFFFF));
    ASSERT_TRUE(streamed);
    EXPECT_EQ(streamed.value().frameCount(), 4u);
}

// What training writes of a take is read back as it was recorded, by this reader and the tools.
TEST(WavFileTest, AnEncodedTakeReadsBackSampleForSample) {
    const std::vector<std::int16_t> take{0, 16384, -32768, 32767, -1};
    const auto read = wavFile::parse(wavFile::encode(take, 16000));
    ASSERT_TRUE(read) << read.error();
    EXPECT_EQ(read.value().format, (AudioFormat{16000, 1, SampleType::float32}));
    std::vector<std::int16_t> back;
    for (const float sample : *read.value().floats()) {
        back.push_back(static_cast<std::int16_t>(std::lround(sample * 32768.0f)));
    }
    EXPECT_EQ(back, take);
    EXPECT_EQ(wavFile::encode({}, 16000).size(), 44u) << "a header and no samples";
}

TEST(WavFileTest, RefusesWhatItCannotReadWithoutReadingPastTheEnd) {
    const std::string someData(6, '\1');
    EXPECT_FALSE(wavFile::parse(""));
    EXPECT_FALSE(wavFile::parse("RIFF\0\0\0\0WAVE"));
    EXPECT_FALSE(wavFile::parse(wav(1, 1, 16000, 8, someData, 6))) << "8-bit";
    EXPECT_FALSE(wavFile::parse(wav(1, 0, 16000, 16, someData, 6))) << "no channels";
    EXPECT_FALSE(wavFile::parse(wav(1, 1, 0, 16, someData, 6))) << "no rate";
    const std::string whole = wav(3, 1, 16000, 32, someData, 6);
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
        const auto part = wavFile::parse(whole.substr(0, cut));
        if (part) {
            EXPECT_EQ(part.value().floats()->size(), (cut - (whole.size() - 6)) / 4);
        }
    }
    EXPECT_FALSE(wavFile::read("/nonexistent/file.wav"));
}

TEST(VocabularyModelTest, ModelsEachHintAsASentenceOfRecogniserWords) {
    using vocabularyModel::Sentence;
    EXPECT_EQ(vocabularyModel::sentences({"Nadia Ford", "  ", "don't — stop", "Zoë-Park 2"}),
              (std::vector<Sentence>{{"nadia", "ford"}, {"don't", "stop"}, {"zoë", "park", "2"}}));

    const std::string arpa = vocabularyModel::trigramArpa({{"next", "student"}, {"next"}});
    EXPECT_NE(arpa.find("ngram 1=4\nngram 2=4\nngram 3=3\n"), std::string::npos) << arpa;
    // "next" ends one of its two sentences: (1 - 0.5) / 2.
    EXPECT_NE(arpa.find("-0.6021 next </s>\n"), std::string::npos) << arpa;
    EXPECT_NE(arpa.find("-99.0000 <s> "), std::string::npos) << "sentence start is never predicted";
    EXPECT_EQ(arpa.find(','), std::string::npos) << "numbers with a full stop in every locale";
}

TEST(PronunciationTest, ReadsIpaAsTheRecognisersPhones) {
    using pronunciation::sphinxPhones;
    EXPECT_EQ(sphinxPhones("hˈædæd"), "HH AE D AE D");
    EXPECT_EQ(sphinxPhones("fˈoːɹd"), "F AO R D") << "long o before r";
    EXPECT_EQ(sphinxPhones("zˈəʊi"), "Z OW IY") << "two symbols for one vowel";
    EXPECT_EQ(sphinxPhones("kəŋklˈuːʒən"), "K AH NG K L UW ZH AH N");
    EXPECT_EQ(sphinxPhones("tʃˈɑːɹlz"), "CH AA R L Z");
    EXPECT_EQ(sphinxPhones("ˈˌː"), std::nullopt) << "marks alone are no word";
    EXPECT_EQ(sphinxPhones("bɣ"), std::nullopt) << "a sound without an equivalent";

    const auto haddad = pronunciation::spoken("haddad");
    ASSERT_FALSE(haddad.empty()) << "espeak-ng reads any spelling";
    EXPECT_EQ(haddad.front(), "HH AE D AE D");
    EXPECT_LE(haddad.size(), 2u);
}

} // namespace
} // namespace kelvarn::speech
