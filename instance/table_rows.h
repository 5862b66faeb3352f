#pragma once

// Splits a table, as a GIS or a spreadsheet exports it, into rows of fields.
// The separator is found on the first line that holds anything: a comma,
// else a tab, else a semicolon (a European spreadsheet's export), else runs
// of blanks. A field may be quoted (RFC 4180: "..."
// with "" for a quote) and then holds separators and line ends as they
// stand. A UTF-8 byte order mark is skipped; "\n", "\r\n" and a lone "\r"
// end a line. Blanks around a field are dropped.
//
//   id,name,population          ->  {"id", "name", "population"}
//   7,"Zuzwil, SG",4226         ->  {"7", "Zuzwil, SG", "4226"}

#include <string>
#include <string_view>
#include <vector>

class TableRows {
 public:
  // Reads `text`, named `label` in messages ("(cities.csv)"), whose first
  // line is line `firstLine` of the file.
  TableRows(std::string_view text, const std::string& label, int firstLine = 1);

  // The next row that holds a non-empty field; false at the end. A quote
  // left open, or text after a closing quote, ends the process with a
  // message naming the file and the line.
  bool next(std::vector<std::string>& fields);

  // The line (from 1) the last row returned starts on.
  int line() const { return rowLine_; }

  // The separator found: ',', ';', '\t', or ' ' for runs of blanks.
  char separator() const { return separator_; }

  // The text not read yet, which starts on line nextLine().
  std::string_view rest() const { return text_.substr(pos_); }
  int nextLine() const { return line_; }

 private:
  bool atLineEnd() const;
  bool isPad(char c) const;
  void skipPads();
  void endLine();
  char findSeparator() const;
  std::string quotedField();
  std::string plainField();
  void readRow(std::vector<std::string>& fields);

  std::string_view text_;
  std::string label_;
  std::size_t pos_ = 0;
  int line_ = 1;
  int rowLine_ = 1;
  char separator_ = ',';
};

// The separator as a message names it: "virgulas", "tabulacoes"...
const char* separatorName(char separator);

// A field as a message shows it: at most 40 bytes, control bytes as '?'.
std::string shownField(const std::string& field);

// The text with ASCII capitals lowered, for names matched in any case.
std::string lowered(const std::string& text);
