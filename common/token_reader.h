#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// Splits a text file into whitespace-separated tokens, the way formatted input
// with "%d" and "%f" sees it: line breaks carry no meaning, "\r" is blank, and
// a UTF-8 byte order mark at the very start is skipped. Reads an open file in
// large chunks, or a buffer held by the caller (tests and fuzz targets).
class TokenReader {
 public:
  explicit TokenReader(std::FILE* file);
  explicit TokenReader(std::string_view text);

  // The next token; false at the end of the input. A token longer than any
  // number could be comes back as an unconvertible token.
  bool next(std::string_view& token);

  // Consumes everything up to and including the next line end.
  void skipLine();

  // The line (from 1) on which the last token returned starts.
  int line() const { return tokenLine_; }

 private:
  bool refill();

  std::FILE* file_ = nullptr;
  std::vector<char> storage_;
  const char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t pos_ = 0;
  bool started_ = false;
  int line_ = 1;
  int tokenLine_ = 0;
};

// Whole-token conversions: the token must convert completely ("5," and "5.0"
// are not integers). A leading "+" is accepted, as formatted input does.
bool parseInt(std::string_view token, int& value);
// Any real that single precision can hold, "inf" and "nan" included; a value
// beyond the single-precision range does not convert.
bool parseFloat(std::string_view token, float& value);
// Any finite real in double precision, with the same whole-token rule.
bool parseDouble(std::string_view token, double& value);
// A duration in seconds on a command line: a finite real >= 0 written as the
// whole token, without a sign. Both programs take their time caps this way.
bool parseSeconds(std::string_view token, double& value);

// Reads the tokens of one named data file and ends the process with a message
// naming the file when a value is missing or does not convert. The label is
// the file name as the messages show it: "(inst.txt)", "[demanda.txt]",
// "solucao.txt".
class DataReader {
 public:
  DataReader(std::FILE* file, std::string label);
  DataReader(std::string_view text, std::string label);

  int readInt();
  // A finite real; "-0" reads as 0.
  float readFloat();
  // A finite real in double precision; "-0" reads as 0.
  double readDouble();
  // Any real, "inf" and "nan" included.
  float readAnyFloat();
  // The same, and the token's value in double precision in `exact` (NaN
  // when it is beyond the double range).
  float readAnyFloat(double& exact);
  // True and the next integer, or false at the end of the input.
  bool tryReadInt(int& value);
  // True when another token follows, which it consumes; line() is then its
  // line. Used once the layout has been read in full.
  bool moreTokens();
  // True and the next token as it stands, or false at the end of the input.
  bool tryReadToken(std::string_view& token) { return tokens_.next(token); }

  void skipLine() { tokens_.skipLine(); }
  int line() const { return tokens_.line(); }
  const std::string& label() const { return label_; }

  [[noreturn]] void failEnded() const;
  [[noreturn]] void failInvalid() const;

 private:
  std::string_view nextToken();

  TokenReader tokens_;
  std::string label_;
};
