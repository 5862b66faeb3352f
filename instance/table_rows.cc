#include "instance/table_rows.h"

#include "common/fatal.h"

TableRows::TableRows(std::string_view text, const std::string& label,
                     int firstLine)
    : text_(text), label_(label), line_(firstLine), rowLine_(firstLine) {
  if (firstLine == 1 && text_.substr(0, 3) == "\xEF\xBB\xBF")
    pos_ = 3;
  separator_ = findSeparator();
}

bool TableRows::next(std::vector<std::string>& fields) {
  while (pos_ < text_.size()) {
    rowLine_ = line_;
    readRow(fields);
    for (const std::string& field : fields)
      if (!field.empty())
        return true;
  }
  return false;
}

bool TableRows::atLineEnd() const {
  return pos_ >= text_.size() || text_[pos_] == '\n' || text_[pos_] == '\r';
}

// Blanks around a field: spaces, and tabs unless they separate fields.
bool TableRows::isPad(char c) const {
  return c == ' ' || (c == '\t' && separator_ != '\t');
}

void TableRows::skipPads() {
  while (pos_ < text_.size() && isPad(text_[pos_]))
    ++pos_;
}

// Consumes one line end ("\n", "\r\n" or a lone "\r"), if any.
void TableRows::endLine() {
  if (pos_ < text_.size() && text_[pos_] == '\r')
    ++pos_;
  if (pos_ < text_.size() && text_[pos_] == '\n')
    ++pos_;
  ++line_;
}

// The separator of the first line that holds anything, quotes aside. A
// tab outranks a semicolon, which a tab-separated table may hold in a name.
char TableRows::findSeparator() const {
  bool quoted = false, content = false, tab = false, semicolon = false;
  for (std::size_t i = pos_; i < text_.size(); ++i) {
    char c = text_[i];
    if (c == '"') {
      quoted = !quoted;
      content = true;
    } else if (quoted) {
      continue;
    } else if (c == ',') {
      return ',';
    } else if (c == '\t') {
      tab = true;
    } else if (c == '\n' || c == '\r') {
      if (content)
        break;
      tab = semicolon = false;
    } else if (c != ' ') {
      content = true;
      semicolon = semicolon || c == ';';
    }
  }
  return tab ? '\t' : semicolon ? ';' : ' ';
}

std::string TableRows::quotedField() {
  int opened = line_;
  std::string field;
  ++pos_;
  for (;;) {
    if (pos_ >= text_.size())
      fatalExit(
          "\n>>> Arquivo de dados %s com aspas sem fechamento a partir da "
          "linha %d",
          label_.c_str(), opened);
    char c = text_[pos_++];
    if (c == '"') {
      if (pos_ < text_.size() && text_[pos_] == '"') {
        field += '"';
        ++pos_;
        continue;
      }
      break;
    }
    if (c == '\n' ||
        (c == '\r' && (pos_ >= text_.size() || text_[pos_] != '\n')))
      ++line_;
    field += c;
  }
  skipPads();
  // Between blanks, whatever follows is the next field.
  if (separator_ != ' ' && !atLineEnd() && text_[pos_] != separator_)
    fatalExit(
        "\n>>> Arquivo de dados %s com texto depois das aspas na linha %d",
        label_.c_str(), line_);
  return field;
}

std::string TableRows::plainField() {
  std::size_t start = pos_;
  while (!atLineEnd() && text_[pos_] != separator_ &&
         !(separator_ == ' ' && text_[pos_] == '\t'))
    ++pos_;
  std::size_t end = pos_;
  while (end > start && isPad(text_[end - 1]))
    --end;
  return std::string(text_.substr(start, end - start));
}

void TableRows::readRow(std::vector<std::string>& fields) {
  fields.clear();
  for (;;) {
    skipPads();
    if (separator_ == ' ' && atLineEnd())
      break;
    if (pos_ < text_.size() && text_[pos_] == '"')
      fields.push_back(quotedField());
    else
      fields.push_back(plainField());
    skipPads();
    if (atLineEnd())
      break;
    // At a separator; between blanks, at the next field.
    if (separator_ != ' ')
      ++pos_;
  }
  endLine();
}

const char* separatorName(char separator) {
  switch (separator) {
    case ',':
      return "virgulas";
    case ';':
      return "ponto e virgula";
    case '\t':
      return "tabulacoes";
    default:
      return "brancos";
  }
}

std::string shownField(const std::string& field) {
  std::size_t length = field.size();
  if (length > 40) {
    length = 40;
    // Not in the middle of a UTF-8 sequence.
    while (length > 0 &&
           (static_cast<unsigned char>(field[length]) & 0xC0) == 0x80)
      --length;
  }
  std::string text = field.substr(0, length);
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
      c = '?';
  return length < field.size() ? text + "..." : text;
}

std::string lowered(const std::string& text) {
  std::string low = text;
  for (char& c : low)
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  return low;
}
