#include "services/message_table.h"

#include <gmock/gmock.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "services/message_image.h"
#include "services/service_text.h"
#include "services_test_support.h"

namespace corvalinde {
namespace {

using testing_support::ServicesTest;
namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class MessageTable : public ServicesTest {
 protected:
  void SetUp() override {
    ServicesTest::SetUp();
    reset_message_table_for_tests();
  }
  void TearDown() override {
    reset_message_table_for_tests();
    ::unsetenv("CORVALINDE_TEST_LIBRARY_IMAGE");
    ServicesTest::TearDown();
  }
};
using MessageTableDeathTest = MessageTable;

Bytes image_of(const std::vector<std::string>& texts, std::string_view flags = kBuiltInFlags) {
  auto image = encode_message_image(texts, flags);
  EXPECT_TRUE(image.has_value());
  return image.value_or(Bytes{});
}

// An image assembled byte by byte: header, offsets, text area.
Bytes raw_image(int count, std::string_view flags, const std::vector<unsigned>& offsets, const Bytes& text) {
  Bytes image{static_cast<std::uint8_t>(count & 0xFF),
              static_cast<std::uint8_t>((count >> 8) & 0xFF),
              static_cast<std::uint8_t>(flags[0]),
              static_cast<std::uint8_t>(flags[1]),
              1,
              0};
  for (const unsigned offset : offsets) {
    image.push_back(static_cast<std::uint8_t>(offset & 0xFF));
    image.push_back(static_cast<std::uint8_t>(offset >> 8));
  }
  image.insert(image.end(), text.begin(), text.end());
  return image;
}

// Plain text as it must be stored with selector 0 (the final pass is its own inverse).
Bytes stored_plain(std::string text) {
  final_pass(text);
  return Bytes(text.begin(), text.end());
}

std::string repeat(std::string_view piece, std::size_t times) {
  std::string out;
  for (std::size_t i = 0; i < times; ++i) out += piece;
  return out;
}

void initialise() {
  (void)message_text(0, 0);
}

TEST_F(MessageTable, InitialiseAndReleaseWithTheBuiltInTable) {
  EXPECT_EQ(message_table_state(), MessageTableState::kNotInitialised);
  EXPECT_EQ(message_text(0, 5), "     ");
  EXPECT_EQ(message_table_state(), MessageTableState::kBuiltIn);
  EXPECT_EQ(message_text(0, 80), std::string(80, ' '));  // the release call, not a lookup
  EXPECT_EQ(message_table_state(), MessageTableState::kNotInitialised);
}

TEST_F(MessageTable, NumbersOutsideTheTableAndEmptyEntriesGiveBlanks) {
  ASSERT_EQ(load_message_image(image_of(std::vector<std::string>{"un", "", "trois"})),
            MessageImageStatus::kValid);
  EXPECT_EQ(message_text(1, 4), "un  ");
  EXPECT_EQ(message_text(2, 4), "    ");
  EXPECT_EQ(message_text(4, 4), "    ");
  EXPECT_EQ(message_text(-1, 4), "    ");
  initialise();  // releases
  initialise();  // the built-in table
  EXPECT_EQ(message_text(kMessageCount + 1, 6), "      ");
  EXPECT_EQ(message_text(-1, 6), "      ");
}

TEST_F(MessageTable, LookupCountsCharactersAndNeverSplitsOne) {
  ASSERT_EQ(load_message_image(image_of(std::vector<std::string>{"Réglage €"})), MessageImageStatus::kValid);
  EXPECT_EQ(message_text(1, 3), "Rég");
  EXPECT_EQ(message_text(1, 12), "Réglage €   ");
  EXPECT_EQ(message_text(1, 0), "");
  EXPECT_EQ(message_trimmed(1), "Réglage €");
}

TEST_F(MessageTable, LookupsOnOtherThreadsSeeOneWholeTableWhileItIsReplaced) {
  const Bytes first = image_of(std::vector<std::string>{"premier texte", "un"});
  const Bytes second = image_of(std::vector<std::string>{"second", "deux"});
  ASSERT_EQ(load_message_image(first), MessageImageStatus::kValid);
  std::atomic<bool> stop{false};
  std::atomic<int> torn{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < 2; ++t) {
    readers.emplace_back([&] {
      while (!stop.load()) {
        const std::string text = message_trimmed(1);
        if (text != "premier texte" && text != "second") ++torn;
      }
    });
  }
  for (int i = 0; i < 2000; ++i) {
    ASSERT_EQ(load_message_image(i % 2 == 0 ? second : first), MessageImageStatus::kValid);
  }
  stop = true;
  for (std::thread& reader : readers) reader.join();
  EXPECT_EQ(torn.load(), 0);
  EXPECT_EQ(message_trimmed(2), "un");
}

TEST_F(MessageTable, TextsRoundTripThroughEveryTransform) {
  const std::vector<std::string> texts{"Bonjour le monde",
                                       "   trois blancs devant",
                                       "a" + std::string(255, ' ') + "b",
                                       "c" + std::string(256, ' ') + "d",
                                       "e" + std::string(600, ' ') + "f",
                                       "Dévers « maximal » : 7 %",
                                       "{:>10.3f} | {:<5}",
                                       "",
                                       "x  y   z    w",
                                       repeat("é", 1024)};
  std::vector<Bytes> areas;
  for (const std::string_view flags : {"  ", "1 ", " 2", "12", "21", "x1"}) {
    const Bytes image = image_of(texts, flags);
    ASSERT_EQ(load_message_image(image), MessageImageStatus::kValid) << flags;
    for (std::size_t i = 0; i < texts.size(); ++i) {
      EXPECT_EQ(message_trimmed(static_cast<int>(i + 1)), service_text::trim_right(texts[i]))
          << "flags '" << flags << "' message " << i + 1;
    }
    MessageImageView view;
    ASSERT_EQ(read_message_image(image, view), MessageImageStatus::kValid);
    areas.emplace_back(view.text.begin(), view.text.end());
  }
  // Selectors 0 to 3 store four different byte streams; "21" is "12" again
  // and "x1" is "1 " again.
  for (std::size_t a = 0; a < 4; ++a) {
    for (std::size_t b = a + 1; b < 4; ++b) EXPECT_NE(areas[a], areas[b]) << a << " " << b;
  }
  EXPECT_EQ(areas[4], areas[3]);
  EXPECT_EQ(areas[5], areas[1]);
}

TEST_F(MessageTable, EncodedImageDoesNotCarryThePlainText) {
  const Bytes image = image_of(std::vector<std::string>{"Impossible de lire le fichier"});
  const std::string bytes(image.begin(), image.end());
  EXPECT_EQ(bytes.find("fichier"), std::string::npos);
  EXPECT_EQ(image[2], '1');
  EXPECT_EQ(image[3], '2');
  EXPECT_EQ(image[4], 1);
}

TEST_F(MessageTable, SwappedFlagCharactersSelectTheSameTransform) {
  EXPECT_EQ(selector_from_flags('1', '2'), 3U);
  EXPECT_EQ(selector_from_flags('2', '1'), 3U);
  EXPECT_EQ(selector_from_flags(' ', ' '), 0U);
  EXPECT_EQ(selector_from_flags('1', '1'), 1U);
  EXPECT_EQ(selector_from_flags('A', '2'), 2U);
  Bytes image = image_of(std::vector<std::string>{"Vitesse de projet"}, "12");
  image[2] = '2';
  image[3] = '1';
  ASSERT_EQ(load_message_image(image), MessageImageStatus::kValid);
  EXPECT_EQ(message_trimmed(1), "Vitesse de projet");
}

TEST_F(MessageTable, BlankRunMarkerExpandsToItsCountOfBlanks) {
  Bytes five{kBlankRunMarker, 5};
  const Bytes x = stored_plain("x");
  five.insert(five.end(), x.begin(), x.end());
  Bytes trailing_marker = stored_plain("a");
  trailing_marker.push_back(kBlankRunMarker);  // no count byte: ignored
  Bytes zero{kBlankRunMarker, 0};
  zero.insert(zero.end(), x.begin(), x.end());
  Bytes text = five;
  text.insert(text.end(), trailing_marker.begin(), trailing_marker.end());
  text.insert(text.end(), zero.begin(), zero.end());
  const auto end1 = static_cast<unsigned>(five.size());
  const auto end2 = end1 + static_cast<unsigned>(trailing_marker.size());
  const auto end3 = end2 + static_cast<unsigned>(zero.size());
  ASSERT_EQ(load_message_image(raw_image(3, "  ", {0, end1, end2, end3}, text)), MessageImageStatus::kValid);
  EXPECT_EQ(message_text(1, 8), "     x  ");
  EXPECT_EQ(message_text(2, 3), "a  ");
  EXPECT_EQ(message_text(3, 2), "x ");
}

TEST_F(MessageTable, ExpansionStopsAtTheWorkTextWidth) {
  const Bytes runs{kBlankRunMarker, 255, kBlankRunMarker, 255, kBlankRunMarker, 255, kBlankRunMarker, 255};
  Bytes over = runs;  // 1020 blanks, then 5 more, then x: x lies beyond 1024
  over.push_back(kBlankRunMarker);
  over.push_back(5);
  const Bytes x = stored_plain("x");
  over.insert(over.end(), x.begin(), x.end());
  Bytes at_edge = runs;  // 1020 blanks, then "abcééé": the cut falls after the first é
  const Bytes tail = stored_plain("abcééé");
  at_edge.insert(at_edge.end(), tail.begin(), tail.end());
  Bytes text = over;
  text.insert(text.end(), at_edge.begin(), at_edge.end());
  const auto end1 = static_cast<unsigned>(over.size());
  const auto end2 = end1 + static_cast<unsigned>(at_edge.size());
  ASSERT_EQ(load_message_image(raw_image(2, "  ", {0, end1, end2}, text)), MessageImageStatus::kValid);
  EXPECT_EQ(message_text(1, 1030), std::string(1030, ' '));
  EXPECT_EQ(message_trimmed(2), std::string(1020, ' ') + "abcé");
  EXPECT_EQ(message_text(2, 1025), std::string(1020, ' ') + "abcé ");
}

TEST_F(MessageTable, ImageWithABaseOffsetAndTrailingBytesIsRead) {
  const Bytes text = stored_plain("abcde");
  Bytes image = raw_image(3, "  ", {100, 103, 103, 105}, text);
  image.push_back(0xEE);  // beyond the text area: never read
  EXPECT_EQ(declared_message_image_size(image.data()), image.size() - 1);
  ASSERT_EQ(load_message_image(image), MessageImageStatus::kValid);
  EXPECT_EQ(message_trimmed(1), "abc");
  EXPECT_EQ(message_trimmed(2), "");
  EXPECT_EQ(message_trimmed(3), "de");
}

TEST_F(MessageTable, DamagedImagesAreRefusedWithTheirReason) {
  const Bytes text = stored_plain("abcde");
  struct Case {
    const char* what;
    Bytes image;
    MessageImageStatus status;
  };
  const std::vector<Case> cases{
      {"empty", {}, MessageImageStatus::kTruncatedHeader},
      {"five bytes", {1, 0, '1', '2', 1}, MessageImageStatus::kTruncatedHeader},
      {"count 0", raw_image(0, "12", {0}, {}), MessageImageStatus::kBadCount},
      {"count -1", raw_image(-1, "12", {0, 0}, {}), MessageImageStatus::kBadCount},
      {"offsets cut", raw_image(2, "12", {0, 3}, {}), MessageImageStatus::kTruncatedOffsets},
      {"decreasing", raw_image(2, "12", {0, 5, 3}, text), MessageImageStatus::kDecreasingOffsets},
      {"text cut", raw_image(2, "12", {0, 3, 6}, text), MessageImageStatus::kTruncatedText},
      {"huge count", raw_image(32767, "12", {0, 0}, {}), MessageImageStatus::kTruncatedOffsets},
  };
  ASSERT_EQ(load_message_image(image_of(std::vector<std::string>{"précédent"})), MessageImageStatus::kValid);
  for (const Case& c : cases) {
    EXPECT_EQ(load_message_image(c.image), c.status) << c.what;
    EXPECT_EQ(message_trimmed(1), "précédent") << c.what;
  }
  EXPECT_EQ(declared_message_image_size(raw_image(0, "12", {0}, {}).data()), 0U);
  EXPECT_EQ(declared_message_image_size(raw_image(2, "12", {0, 5, 3}, text).data()), 0U);
}

TEST_F(MessageTable, EveryTruncationOfAnImageIsRefused) {
  const Bytes image = image_of(std::vector<std::string>{"premier", "", "   troisième   message"});
  ASSERT_EQ(load_message_image(image_of(std::vector<std::string>{"précédent"})), MessageImageStatus::kValid);
  for (std::size_t size = 0; size < image.size(); ++size) {
    const std::span<const std::uint8_t> prefix(image.data(), size);
    EXPECT_NE(load_message_image(prefix), MessageImageStatus::kValid) << size;
  }
  EXPECT_EQ(message_trimmed(1), "précédent");
  ASSERT_EQ(load_message_image(image), MessageImageStatus::kValid);
  EXPECT_EQ(message_trimmed(3), "   troisième   message");
}

TEST_F(MessageTable, SourceLinesAreNumberTabText) {
  const std::string source =
      "\xEF\xBB\xBF-- comment line\n"
      "\n"
      "1\tPremier\r\n"
      "#12\tnot a number: ignored\n"
      " 2 \t  blancs devant et\ttabulation  \n"
      "3\n"
      "4\t#4 {:.4f}\n";
  std::vector<std::string> texts;
  MessageSourceError error;
  ASSERT_TRUE(parse_message_source(source, 5, texts, error)) << error.reason;
  ASSERT_EQ(texts.size(), 5U);
  EXPECT_EQ(texts[0], "Premier");
  EXPECT_EQ(texts[1], "  blancs devant et\ttabulation  ");
  EXPECT_EQ(texts[2], "");
  EXPECT_EQ(texts[3], "#4 {:.4f}");
  EXPECT_EQ(texts[4], "");
}

TEST_F(MessageTable, BadSourceLinesAreReportedWithTheirLineNumber) {
  struct Case {
    const char* source;
    std::size_t line;
    const char* reason;
  };
  const std::string too_long = "1\t" + std::string(1025, 'x') + "\n";
  const std::vector<Case> cases{
      {"1\ta\n\n6\tb\n", 3, "outside"}, {"0\ta\n", 1, "outside"},  {"1\ta\n2\tb\n1\tc\n", 3, "twice"},
      {"1\ta\n2\t\xC3(\n", 2, "UTF-8"}, {"1\t\xFF\n", 1, "UTF-8"}, {too_long.c_str(), 1, "longer"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> texts;
    MessageSourceError error;
    EXPECT_FALSE(parse_message_source(c.source, 5, texts, error)) << c.source;
    EXPECT_EQ(error.line, c.line) << c.source;
    EXPECT_THAT(error.reason, ::testing::HasSubstr(c.reason)) << c.source;
  }
}

struct BuiltIn {
  MessageLanguage language;
  const char* file;
};
constexpr BuiltIn kBuiltIns[] = {{MessageLanguage::kFrench, "fr.tsv"},
                                 {MessageLanguage::kEnglish, "en.tsv"},
                                 {MessageLanguage::kIds, "ids.tsv"}};

std::vector<std::string> source_texts(const char* file) {
  std::vector<std::string> texts(kMessageCount);
  const fs::path path = fs::path(CORVALINDE_MESSAGES_DIR) / file;
  if (fs::exists(path)) {
    MessageSourceError error;
    EXPECT_TRUE(parse_message_source(ServicesTest::read_file(path), kMessageCount, texts, error))
        << file << ":" << error.line << ": " << error.reason;
  }
  return texts;
}

TEST_F(MessageTable, BuiltInTablesHoldTheirSourcesExactly) {
  for (const BuiltIn& built_in : kBuiltIns) {
    const std::vector<std::string> texts = source_texts(built_in.file);
    const std::span<const std::uint8_t> image = builtin_message_image(built_in.language);
    MessageImageView view;
    ASSERT_EQ(read_message_image(image, view), MessageImageStatus::kValid) << built_in.file;
    EXPECT_EQ(view.count, kMessageCount);
    EXPECT_EQ(view.selector, 3U);
    reset_message_table_for_tests();
    select_message_language(built_in.language);
    initialise();
    for (int n = 1; n <= kMessageCount; ++n) {
      EXPECT_EQ(message_trimmed(n), service_text::trim_right(texts[static_cast<std::size_t>(n - 1)]))
          << built_in.file << " message " << n;
    }
  }
}

TEST_F(MessageTable, LanguageSettingChoosesTheTableUnlessOneWasSelected) {
  const std::vector<std::string> french = source_texts("fr.tsv");
  const std::vector<std::string> english = source_texts("en.tsv");
  int differing = 0;
  for (int n = 1; n <= kMessageCount && differing == 0; ++n) {
    if (french[static_cast<std::size_t>(n - 1)] != english[static_cast<std::size_t>(n - 1)]) differing = n;
  }
  if (differing == 0) GTEST_SKIP() << "the French and English sources do not differ yet";
  const auto index = static_cast<std::size_t>(differing - 1);
  const std::string english_text(service_text::trim_right(english[index]));
  const std::string french_text(service_text::trim_right(french[index]));

  initialise();
  EXPECT_EQ(message_trimmed(differing), french_text);  // the default
  initialise();

  ASSERT_TRUE(write_setting("Language", " EN "));
  initialise();
  EXPECT_EQ(message_trimmed(differing), english_text);
  initialise();

  select_message_language(MessageLanguage::kFrench);
  initialise();
  EXPECT_EQ(message_trimmed(differing), french_text);
}

TEST_F(MessageTable, LanguageNamesAreFrEnAndIds) {
  EXPECT_EQ(parse_message_language("fr"), MessageLanguage::kFrench);
  EXPECT_EQ(parse_message_language(" EN "), MessageLanguage::kEnglish);
  EXPECT_EQ(parse_message_language("Ids"), MessageLanguage::kIds);
  EXPECT_EQ(parse_message_language("de"), std::nullopt);
  EXPECT_EQ(parse_message_language(""), std::nullopt);
}

TEST_F(MessageTable, TemplatesFormatTheirValuesInOrder) {
  ASSERT_EQ(load_message_image(image_of(std::vector<std::string>{"{:>6.2f}|{}", "{:d} mètres", "{} {} {}",
                                                                 "{", "{}", "sans valeur"})),
            MessageImageStatus::kValid);
  EXPECT_EQ(format_message(1, 15, 3.14159, "ab"), "  3.14|ab      ");
  EXPECT_EQ(format_message(5, 4, std::string("éèà€x")), "éèà€");
  EXPECT_EQ(format_message(6, 11), "sans valeur");
}

TEST_F(MessageTable, FixedFormsRoundHalvesAwayFromZero) {
  ASSERT_EQ(
      load_message_image(image_of(std::vector<std::string>{"{:.2f}", "{:>6.1f}|{:.0f}", "{:.3}", "{:.4f}"})),
      MessageImageStatus::kValid);
  EXPECT_EQ(format_message(1, 5, 0.125), "0.13 ") << "fmt alone rounds this half to even";
  EXPECT_EQ(format_message(1, 5, -0.125), "-0.13");
  EXPECT_EQ(format_message(2, 8, 0.25, 2.5), "   0.3|3");
  EXPECT_EQ(format_message(3, 5, 0.125), "0.125") << "general forms keep fmt's own rounding";
  EXPECT_EQ(format_message(4, 9, 1234.56785), "1234.5679");
  EXPECT_EQ(format_message(4, 10, 1e300), fmt::format("{:.4f}", 1e300).substr(0, 10));
}

TEST_F(MessageTable, TemplateThatDoesNotFormatGivesTextThenValues) {
  ASSERT_EQ(load_message_image(image_of(std::vector<std::string>{"{:d} mètres", "{} {} {}", "{"})),
            MessageImageStatus::kValid);
  EXPECT_EQ(format_message(1, 20, std::string("x")), "{:d} mètres x       ");
  EXPECT_EQ(format_message(2, 14, 1, 2), "{} {} {} 1 2  ");
  EXPECT_EQ(format_message(3, 5, 1.5), "{ 1.5");
}

TEST_F(MessageTableDeathTest, LookupBeforeInitialisationIsFatal) {
  EXPECT_EXIT((void)message_text(1, 10), ::testing::ExitedWithCode(1),
              ::testing::HasSubstr("Fichier Corvalinde.so non chargé"));
}

const Bytes kNoBuiltInTable{0, 0, '1', '2', 1, 0};

TEST_F(MessageTable, ZeroCountLoadsTheLanguageLibraryBesideTheProgram) {
  reset_settings_cache_for_tests(CORVALINDE_TEST_LANGUAGE_LIBRARY_DIR);
  use_message_image_as_builtin_for_tests(kNoBuiltInTable);
  initialise();
  ASSERT_EQ(message_table_state(), MessageTableState::kLibrary);
  EXPECT_EQ(message_trimmed(1), "Bibliothèque de langue");
  EXPECT_EQ(message_text(2, 25), "   trois blancs devant   ");
  EXPECT_EQ(format_message(3, 12, 80.26), "  80.3 km/h ");
  EXPECT_EQ(message_trimmed(kMessageCount), "dernier message");
  initialise();
  EXPECT_EQ(message_table_state(), MessageTableState::kNotInitialised);
  initialise();  // the library loads again after its release
  EXPECT_EQ(message_trimmed(1), "Bibliothèque de langue");
}

TEST_F(MessageTableDeathTest, MissingOrUnusableLanguageLibraryIsFatal) {
  use_message_image_as_builtin_for_tests(kNoBuiltInTable);
  const std::string fatal = "Impossible de charger le fichier Corvalinde.so";
  reset_settings_cache_for_tests(program_.string());  // no library there
  EXPECT_EXIT(initialise(), ::testing::ExitedWithCode(1), ::testing::HasSubstr(fatal));
  reset_settings_cache_for_tests(CORVALINDE_TEST_LIBRARY_WITHOUT_ENTRY_DIR);
  EXPECT_EXIT(initialise(), ::testing::ExitedWithCode(1), ::testing::HasSubstr(fatal));
  reset_settings_cache_for_tests(CORVALINDE_TEST_LANGUAGE_LIBRARY_DIR);
  for (const char* mode : {"decreasing", "null"}) {
    ::setenv("CORVALINDE_TEST_LIBRARY_IMAGE", mode, 1);
    EXPECT_EXIT(initialise(), ::testing::ExitedWithCode(1), ::testing::HasSubstr(fatal)) << mode;
  }
}

TEST_F(MessageTableDeathTest, DamagedBuiltInImageIsFatal) {
  const Bytes damaged{0xFF, 0xFF, '1', '2', 1, 0};  // count -1
  use_message_image_as_builtin_for_tests(damaged);
  EXPECT_EXIT(initialise(), ::testing::ExitedWithCode(1),
              ::testing::HasSubstr("Impossible de charger le fichier Corvalinde.so"));
}

}  // namespace
}  // namespace corvalinde
