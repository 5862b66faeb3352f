#include "instance/coordinates.h"

#include <cstdio>
#include <string>

#include "common/fatal.h"
#include "common/files.h"
#include "common/run_options.h"
#include "instance/instance_record.h"

std::vector<Point> coordinates;
bool coordinatesGeographic = false;

namespace {

constexpr std::string_view kSection = "NODE_COORD_SECTION";

// The value of a "DIMENSION : 100" header, however the colon is spaced.
int readDimension(DataReader& in, std::string_view token) {
  token.remove_prefix(std::string_view("DIMENSION").size());
  if (!token.empty() && token[0] == ':')
    token.remove_prefix(1);
  if (token.empty() && !in.tryReadToken(token))
    in.failEnded();
  if (token == ":" && !in.tryReadToken(token))
    in.failEnded();
  if (!token.empty() && token[0] == ':')
    token.remove_prefix(1);
  int value = 0;
  if (!parseInt(token, value))
    in.failInvalid();
  return value;
}

// Skips the TSPLIB header up to NODE_COORD_SECTION and checks DIMENSION.
void readTsplibHeader(DataReader& in, int n) {
  std::string_view token;
  for (;;) {
    if (!in.tryReadToken(token))
      in.failEnded();
    if (token == kSection)
      return;
    if (token.substr(0, 9) == "DIMENSION") {
      int dimension = readDimension(in, token);
      if (dimension != n)
        fatalExit(
            "\n>>> Arquivo de dados %s com DIMENSION %d diferente de n = %d",
            in.label().c_str(), dimension, n);
    }
    // Every other header line ("NAME : kroA100", "COMMENT : ...") is
    // skipped whole.
    in.skipLine();
  }
}

}  // namespace

bool isTsplib(std::string_view text) {
  return text.find(kSection) != std::string_view::npos;
}

void readCoordinatesFrom(DataReader& in, int n, bool tsplib) {
  if (tsplib)
    readTsplibHeader(in, n);
  coordinates.assign(static_cast<std::size_t>(n), Point{});
  for (int i = 0; i < n; ++i) {
    if (tsplib && in.readInt() != i + 1)
      fatalExit(
          "\n>>> Arquivo de dados %s com vertice fora de ordem na linha %d",
          in.label().c_str(), in.line());
    coordinates[i].x = in.readDouble();
    coordinates[i].y = in.readDouble();
  }
  std::string_view token;
  if (in.tryReadToken(token) && !(tsplib && token == "EOF"))
    fatalExit("\n>>> Arquivo de dados %s com mais de %d vertices na linha %d",
              in.label().c_str(), n, in.line());
}

void loadCoordinates() {
  // A table of points has given its own.
  if (runOptions.coordsFile.empty())
    return;
  coordinatesGeographic = runOptions.geographic;
  const char* name = runOptions.coordsFile.c_str();
  std::string label = std::string("{") + name + "}";
  // A coordinates file is small beside the matrix: read it whole, to tell
  // the two layouts apart before parsing.
  std::string text = readWholeInput(name, label);
  DataReader in(text, label);
  readCoordinatesFrom(in, record.vertices, isTsplib(text));
}
