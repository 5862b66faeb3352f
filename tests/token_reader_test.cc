#include "common/token_reader.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "test_util.h"

namespace {

std::vector<std::string> tokensOf(TokenReader& in) {
  std::vector<std::string> tokens;
  std::string_view token;
  while (in.next(token))
    tokens.emplace_back(token);
  return tokens;
}

}  // namespace

TEST(TokenReaderTest, WholeTokensOnly) {
  int i = 0;
  EXPECT_TRUE(parseInt("42", i));
  EXPECT_EQ(i, 42);
  EXPECT_TRUE(parseInt("+7", i));
  EXPECT_EQ(i, 7);
  EXPECT_TRUE(parseInt("-0", i));
  EXPECT_EQ(i, 0);
  for (const char* bad : {"5,", "5.0", "1e3", "", "+", "+-1", "--1", "0x10",
                          "2147483648", "nan", "12a"})
    EXPECT_FALSE(parseInt(bad, i)) << bad;
  EXPECT_TRUE(parseInt("-2147483648", i));

  float f = 0;
  EXPECT_TRUE(parseFloat("9999998.7", f));
  EXPECT_EQ(f, 9999999.0f);
  EXPECT_TRUE(parseFloat("+2.5e1", f));
  EXPECT_EQ(f, 25.0f);
  EXPECT_TRUE(parseFloat(".5", f));
  EXPECT_EQ(f, 0.5f);
  EXPECT_TRUE(parseFloat("inf", f));
  // Values at the ends of the range read as formatted input reads them.
  EXPECT_TRUE(parseFloat("1e-50", f));
  EXPECT_EQ(f, 0.0f);
  EXPECT_TRUE(parseFloat("1e-40", f));
  EXPECT_GT(f, 0.0f);
  EXPECT_TRUE(parseFloat("3.40282356e38", f));
  EXPECT_EQ(f, std::numeric_limits<float>::max());
  EXPECT_FALSE(parseFloat("3.4028236e38", f));
  for (const char* bad : {"1e39", "-1e39", "1.5.", "1,5", "", "e5", "+-1"})
    EXPECT_FALSE(parseFloat(bad, f)) << bad;
}

// Whole numbers as the solver files write them take a shorter road than
// other reals; both must give the value the general conversion gives, at
// the edges of exactness and of the digit count too.
TEST(TokenReaderTest, WholeDecimalsReadAsTheGeneralConversion) {
  std::vector<std::string> tokens = {
      "0",          "0.00000",     "0.",         "5.",           "00012.000",
      "5277.00000", "16777215",    "16777216",   "16777217",     "16777217.000",
      "99999999",   "999999999",   "12345678.0", "5.00001",      "5.0e0",
      "7.",         "+42.00",      "1.10",       "0.000001",     "123456789012",
      "16777219",   "999999999.0", "4294967297", "9999999999.00"};
  for (std::uint32_t v = 1; v < 4000000000u; v = v * 3 + 1)
    tokens.push_back(std::to_string(v) + (v % 2 ? ".00000" : ""));
  for (const std::string& token : tokens) {
    const char* begin = token.data() + (token[0] == '+' ? 1 : 0);
    float expected = 0;
    auto [stop, error] =
        std::from_chars(begin, token.data() + token.size(), expected);
    ASSERT_TRUE(error == std::errc() && stop == token.data() + token.size())
        << token;
    float value = -1;
    EXPECT_TRUE(parseFloat(token, value)) << token;
    EXPECT_EQ(value, expected) << token;
  }
  float f = 0;
  for (const char* bad : {"5..", "5.0.", "12a", "5.00x", "."})
    EXPECT_FALSE(parseFloat(bad, f)) << bad;
}

TEST(TokenReaderTest, BlanksLineEndsAndByteOrderMark) {
  TokenReader in(
      std::string_view("\xEF\xBB\xBF"
                       "4 2\r\n\t10.5\r\n\n  7"));
  std::string_view token;
  ASSERT_TRUE(in.next(token));
  EXPECT_EQ(token, "4");
  EXPECT_EQ(in.line(), 1);
  ASSERT_TRUE(in.next(token));
  ASSERT_TRUE(in.next(token));
  EXPECT_EQ(token, "10.5");
  EXPECT_EQ(in.line(), 2);
  ASSERT_TRUE(in.next(token));
  EXPECT_EQ(token, "7");
  EXPECT_EQ(in.line(), 4);
  EXPECT_FALSE(in.next(token));
  EXPECT_FALSE(in.next(token));
}

TEST(TokenReaderTest, SkipLineConsumesTheLineEnd) {
  TokenReader in(std::string_view("  12345678901\n9999999\n3\n"));
  in.skipLine();
  EXPECT_EQ(tokensOf(in), (std::vector<std::string>{"9999999", "3"}));
  TokenReader empty(std::string_view("\n9999999"));
  empty.skipLine();
  EXPECT_EQ(tokensOf(empty), (std::vector<std::string>{"9999999"}));
}

// A file read in chunks gives the same tokens as the whole text, also when a
// token straddles a chunk boundary or is longer than any number.
TEST(TokenReaderTest, ChunkedFileMatchesBuffer) {
  std::string text;
  for (int i = 0; text.size() < (3u << 20); ++i)
    text += std::to_string(i * 7919LL % 100003) + (i % 13 ? " " : "\r\n");
  text += std::string(5000, '9') + " 5";
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  std::fwrite(text.data(), 1, text.size(), file);
  std::rewind(file);
  TokenReader fromFile(file);
  TokenReader fromText{std::string_view(text)};
  std::vector<std::string> a = tokensOf(fromFile), b = tokensOf(fromText);
  std::fclose(file);
  ASSERT_EQ(a.size(), b.size());
  EXPECT_EQ(a, b);
  int value = 0;
  EXPECT_FALSE(parseInt(a[a.size() - 2], value));
  EXPECT_EQ(a.back(), "5");
}

TEST(TokenReaderTest, DataReaderNamesTheFileAndLine) {
  DataReader in(std::string_view("1 2\nx"), "[demanda.txt]");
  EXPECT_EQ(in.readInt(), 1);
  EXPECT_EQ(in.readFloat(), 2.0f);
  EXPECT_EQ(
      fatalMessage([&] { in.readInt(); }),
      "\n>>> Arquivo de dados [demanda.txt] com valor invalido na linha 2");
  DataReader ended(std::string_view(" "), "(a.txt)");
  EXPECT_EQ(fatalMessage([&] { ended.readFloat(); }),
            "\n>>> Arquivo de dados (a.txt) termina antes do fim dos dados");
  DataReader nonFinite(std::string_view("nan inf -0"), "(a.txt)");
  EXPECT_FALSE(fatalMessage([&] { nonFinite.readFloat(); }).empty());
  EXPECT_FALSE(fatalMessage([&] { nonFinite.readFloat(); }).empty());
  float zero = nonFinite.readFloat();
  EXPECT_EQ(zero, 0.0f);
  EXPECT_FALSE(std::signbit(zero));
}

// The time caps of both programs: a finite, unsigned real, the whole token.
TEST(TokenReaderTest, SecondsAreFiniteUnsignedWholeTokens) {
  double value = -1;
  EXPECT_TRUE(parseSeconds("2.5", value));
  EXPECT_EQ(value, 2.5);
  EXPECT_TRUE(parseSeconds("0", value));
  EXPECT_EQ(value, 0.0);
  for (const char* bad : {"", "-1", "+5", "inf", "nan", "1e400", "5s", " 5"})
    EXPECT_FALSE(parseSeconds(bad, value)) << bad;
}
