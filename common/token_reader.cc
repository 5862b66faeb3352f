#include "common/token_reader.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/fatal.h"

namespace {

constexpr std::size_t kChunk = 1 << 20;
// No decimal number in these files needs more characters than this.
constexpr std::size_t kMaxToken = 256;
// Returned for an overlong token: it converts as neither integer nor real.
constexpr std::string_view kBadToken = "\x01";

bool isBlank(char c) {
  return c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == '\v' ||
         c == '\f';
}

// Strips one leading "+", which from_chars does not accept; "+-1" stays bad.
const char* skipPlus(const char* begin, const char* end) {
  if (begin != end && *begin == '+' && end - begin > 1 && begin[1] != '-' &&
      begin[1] != '+')
    return begin + 1;
  return begin;
}

// Reads a token of at most nine digits, with or without a point and zeros
// after it ("5277", "5277.00000", "0.00000": how the solver files write
// distances and demands); false for any other token, which the general
// routine reads. The whole number is exact in 32 bits, and its conversion
// to float rounds once, to nearest, as the general routine does: the same
// value, several times faster. Reading a large matrix spent most of its time
// converting.
bool parseWholeDecimal(const char* begin, const char* end, float& value) {
  constexpr int kMostDigits = 9;  // 999,999,999 < 2^32
  std::uint32_t whole = 0;
  const char* c = begin;
  for (; c != end && *c >= '0' && *c <= '9'; ++c) {
    if (c - begin == kMostDigits)
      return false;
    whole = whole * 10 + static_cast<std::uint32_t>(*c - '0');
  }
  if (c == begin)
    return false;
  if (c != end && *c++ != '.')
    return false;
  for (; c != end; ++c)
    if (*c != '0')
      return false;
  value = static_cast<float>(whole);
  return true;
}

}  // namespace

TokenReader::TokenReader(std::FILE* file) : file_(file), storage_(kChunk) {
  data_ = storage_.data();
}

TokenReader::TokenReader(std::string_view text)
    : data_(text.data()), size_(text.size()) {}

// Moves the unread tail to the front of the buffer and appends the next chunk
// of the file. False when nothing more could be read.
bool TokenReader::refill() {
  if (!file_)
    return false;
  std::size_t kept = size_ - pos_;
  if (kept > 0 && pos_ > 0)
    std::memmove(storage_.data(), data_ + pos_, kept);
  pos_ = 0;
  size_ = kept;
  if (storage_.size() - size_ < kChunk / 2)
    storage_.resize(size_ + kChunk);
  data_ = storage_.data();
  std::size_t got =
      std::fread(storage_.data() + size_, 1, storage_.size() - size_, file_);
  size_ += got;
  return got > 0;
}

bool TokenReader::next(std::string_view& token) {
  if (!started_) {
    started_ = true;
    while (size_ - pos_ < 3 && refill()) {
    }
    if (size_ - pos_ >= 3 && std::memcmp(data_ + pos_, "\xEF\xBB\xBF", 3) == 0)
      pos_ += 3;
  }
  for (;;) {
    while (pos_ < size_ && isBlank(data_[pos_])) {
      if (data_[pos_] == '\n')
        ++line_;
      ++pos_;
    }
    if (pos_ < size_)
      break;
    if (!refill())
      return false;
  }
  tokenLine_ = line_;
  std::size_t length = 0;
  bool overlong = false;
  for (;;) {
    while (pos_ + length < size_ && !isBlank(data_[pos_ + length]))
      ++length;
    if (pos_ + length < size_)
      break;
    if (length > kMaxToken) {
      // Drop what has been seen so far and keep skipping the token.
      overlong = true;
      pos_ += length;
      length = 0;
    }
    if (!refill())
      break;
  }
  token = overlong || length > kMaxToken
              ? kBadToken
              : std::string_view(data_ + pos_, length);
  pos_ += length;
  return true;
}

void TokenReader::skipLine() {
  for (;;) {
    while (pos_ < size_) {
      if (data_[pos_++] == '\n') {
        ++line_;
        return;
      }
    }
    if (!refill())
      return;
  }
}

bool parseInt(std::string_view token, int& value) {
  const char* end = token.data() + token.size();
  const char* begin = skipPlus(token.data(), end);
  auto [stop, error] = std::from_chars(begin, end, value);
  return error == std::errc() && stop == end;
}

bool parseFloat(std::string_view token, float& value) {
  const char* end = token.data() + token.size();
  const char* begin = skipPlus(token.data(), end);
  if (parseWholeDecimal(begin, end, value))
    return true;
  auto [stop, error] = std::from_chars(begin, end, value);
  if (error == std::errc::result_out_of_range && stop == end) {
    // from_chars refuses both ends of the range; formatted input reads a
    // tiny value ("1e-50") as 0 or a subnormal, and one that still rounds to
    // the largest float as that float. Only a true overflow stays refused.
    std::string text(begin, end);
    char* parsed = nullptr;
    float rounded = std::strtof(text.c_str(), &parsed);
    if (parsed == text.c_str() + text.size() && std::isfinite(rounded)) {
      value = rounded;
      return true;
    }
    return false;
  }
  return error == std::errc() && stop == end;
}

DataReader::DataReader(std::FILE* file, std::string label)
    : tokens_(file), label_(std::move(label)) {}

DataReader::DataReader(std::string_view text, std::string label)
    : tokens_(text), label_(std::move(label)) {}

void DataReader::failEnded() const {
  fatalExit("\n>>> Arquivo de dados %s termina antes do fim dos dados",
            label_.c_str());
}

void DataReader::failInvalid() const {
  fatalExit("\n>>> Arquivo de dados %s com valor invalido na linha %d",
            label_.c_str(), tokens_.line());
}

std::string_view DataReader::nextToken() {
  std::string_view token;
  if (!tokens_.next(token))
    failEnded();
  return token;
}

int DataReader::readInt() {
  int value = 0;
  if (!parseInt(nextToken(), value))
    failInvalid();
  return value;
}

bool DataReader::tryReadInt(int& value) {
  std::string_view token;
  if (!tokens_.next(token))
    return false;
  if (!parseInt(token, value))
    failInvalid();
  return true;
}

bool DataReader::moreTokens() {
  std::string_view token;
  return tokens_.next(token);
}

float DataReader::readFloat() {
  float value = readAnyFloat();
  if (!std::isfinite(value))
    failInvalid();
  // Adding +0 turns -0 into 0, so that it never prints as "-0.00000".
  return value + 0.0f;
}

double DataReader::readDouble() {
  double value = 0;
  if (!parseDouble(nextToken(), value))
    failInvalid();
  return value + 0.0;
}

float DataReader::readAnyFloat() {
  float value = 0;
  if (!parseFloat(nextToken(), value))
    failInvalid();
  return value;
}

float DataReader::readAnyFloat(double& exact) {
  float value = 0;
  std::string_view token = nextToken();
  if (!parseFloat(token, value))
    failInvalid();
  const char* end = token.data() + token.size();
  auto [stop, error] = std::from_chars(skipPlus(token.data(), end), end, exact);
  if (error != std::errc() || stop != end)
    exact = std::nan("");
  return value;
}

bool parseDouble(std::string_view token, double& value) {
  const char* end = token.data() + token.size();
  const char* begin = skipPlus(token.data(), end);
  auto [stop, error] = std::from_chars(begin, end, value);
  return error == std::errc() && stop == end && std::isfinite(value);
}

bool parseSeconds(std::string_view token, double& value) {
  const char* end = token.data() + token.size();
  auto [stop, error] = std::from_chars(token.data(), end, value);
  return !token.empty() && error == std::errc() && stop == end &&
         std::isfinite(value) && value >= 0;
}
