#include "report/result_svg.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <random>
#include <regex>

#include "instance/coordinates.h"
#include "instance/instance_reader.h"
#include "random_run.h"

namespace {

// An 8-bit RGB or RGBA picture as rsvg-convert writes it.
struct Picture {
  int width = 0, height = 0, channels = 4;
  std::vector<unsigned char> rgba;

  std::string colourAt(double x, double y) const {
    int col = static_cast<int>(x), row = static_cast<int>(y);
    const unsigned char* p =
        &rgba[(static_cast<std::size_t>(row) * width + col) * channels];
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", p[0], p[1], p[2]);
    return text;
  }
};

uint32_t bigEndian(const std::string& s, std::size_t at) {
  return (uint32_t(uint8_t(s[at])) << 24) |
         (uint32_t(uint8_t(s[at + 1])) << 16) |
         (uint32_t(uint8_t(s[at + 2])) << 8) | uint32_t(uint8_t(s[at + 3]));
}

int paeth(int a, int b, int c) {
  int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b),
      pc = std::abs(p - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// Decodes a non-interlaced 8-bit RGB or RGBA PNG: its IDAT chunks inflated,
// each row's filter undone.
Picture decodePng(const std::string& png) {
  Picture picture;
  std::string data;
  for (std::size_t at = 8; at + 8 <= png.size();) {
    uint32_t length = bigEndian(png, at);
    std::string type = png.substr(at + 4, 4);
    if (type == "IHDR") {
      picture.width = static_cast<int>(bigEndian(png, at + 8));
      picture.height = static_cast<int>(bigEndian(png, at + 12));
      EXPECT_EQ(png[at + 16], 8);                           // bit depth
      EXPECT_TRUE(png[at + 17] == 2 || png[at + 17] == 6);  // RGB, RGBA
      picture.channels = png[at + 17] == 2 ? 3 : 4;
    } else if (type == "IDAT") {
      data += png.substr(at + 8, length);
    }
    at += 12 + length;
  }
  std::size_t channels = static_cast<std::size_t>(picture.channels);
  std::size_t stride = static_cast<std::size_t>(picture.width) * channels;
  std::vector<unsigned char> raw((stride + 1) * picture.height);
  uLongf size = raw.size();
  EXPECT_EQ(
      uncompress(raw.data(), &size, reinterpret_cast<const Bytef*>(data.data()),
                 data.size()),
      Z_OK);
  picture.rgba.assign(stride * picture.height, 0);
  for (int row = 0; row < picture.height; ++row) {
    const unsigned char* in = &raw[row * (stride + 1)];
    unsigned char* out = &picture.rgba[row * stride];
    const unsigned char* up = row > 0 ? out - stride : nullptr;
    for (std::size_t i = 0; i < stride; ++i) {
      int a = i >= channels ? out[i - channels] : 0, b = up ? up[i] : 0,
          c = up && i >= channels ? up[i - channels] : 0;
      int predictor[] = {0, a, b, (a + b) / 2, paeth(a, b, c)};
      out[i] = static_cast<unsigned char>(in[1 + i] + predictor[in[0]]);
    }
  }
  return picture;
}

// Writes the picture, renders it with rsvg-convert and decodes the PNG.
Picture render(const std::string& svg) {
  writeFile("r.svg", svg);
  EXPECT_EQ(std::system("rsvg-convert r.svg -o r.png"), 0)
      << "rsvg-convert (librsvg2-bin) is needed";
  return decodePng(readText("r.png"));
}

// The centre of the first match's two captured numbers.
bool findPoint(const std::string& svg, const std::string& pattern, double& x,
               double& y) {
  std::smatch match;
  if (!std::regex_search(svg, match, std::regex(pattern)))
    return false;
  x = std::stod(match[1]);
  y = std::stod(match[2]);
  return true;
}

class ResultSvgTest : public RecordTest {
 protected:
  ScratchFolder folder;
};

}  // namespace

// The worked example laid out in the plane: centres 3 and 1 cover vertices
// 1 … 3; vertex 4 is uncovered.
TEST_F(ResultSvgTest, CentresInTheirColourUncoveredInGrey) {
  loadWorkedExample();
  coordinates = {{0, 0}, {90, 0}, {70, 0}, {70, 110}};
  writeFile("solucao.txt", "1 1 0 9999999 7 2 0");
  reassignToCentres();
  evaluateCoverage();
  std::string svg = resultSvg();
  Picture picture = render(svg);
  ASSERT_GT(picture.width, 0);
  double x, y;
  // Vertex 3 (index 2) comes first in centro: the first colour.
  ASSERT_TRUE(findPoint(svg,
                        "id=\"centre-3\" class=\"k0 m\" x=\"([0-9.]+)\" "
                        "y=\"([0-9.]+)\"",
                        x, y));
  EXPECT_EQ(picture.colourAt(x + 4, y + 4), centreColour(0));
  ASSERT_TRUE(findPoint(svg,
                        "id=\"centre-1\" class=\"k1 m\" x=\"([0-9.]+)\" "
                        "y=\"([0-9.]+)\"",
                        x, y));
  EXPECT_EQ(picture.colourAt(x + 4, y + 4), centreColour(1));
  ASSERT_TRUE(findPoint(
      svg, "<g class=\"u\">\n<circle cx=\"([0-9.]+)\" cy=\"([0-9.]+)\"", x, y));
  EXPECT_EQ(picture.colourAt(x, y), kUncoveredColour);
  // The uncovered vertex is the top one, as y grows upward.
  EXPECT_LT(y, 100);
  EXPECT_NE(svg.find("coverage 65.52 %, solver gap 0.00 %"), std::string::npos);
}

// 5,000 vertices of a network with 15,000 edges: a file well under the few
// megabytes allowed that still renders, every vertex drawn once.
TEST_F(ResultSvgTest, FiveThousandVerticesStaySmall) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> place(0, 100000), far(0, 10000);
  int n = 5000, p = 40;
  // Only the centres' rows of the matrix are read for the picture; every
  // other row shares one row of zeros.
  std::vector<std::vector<float>> rows(p + 1, std::vector<float>(n, 0.0f));
  std::vector<float*> cost(n, rows[p].data());
  record.vertices = n;
  record.facilidades = p;
  record.distServico = 2500;
  record.centro = static_cast<int32_t*>(allocateZeroed(p, sizeof(int32_t)));
  for (int k = 0; k < p; ++k) {
    record.centro[k] = k * 125;
    for (float& d : rows[k])
      d = static_cast<float>(far(rng));
    rows[k][k * 125] = 0;
    cost[k * 125] = rows[k].data();
  }
  record.cost = cost.data();
  record.pop = static_cast<int32_t*>(allocateZeroed(n, sizeof(int32_t)));
  edgeRecords.clear();
  for (int e = 0; e < 15000; ++e)
    edgeRecords.push_back({e % n, static_cast<int32_t>(rng() % n)});
  coordinates.clear();
  for (int j = 0; j < n; ++j)
    coordinates.push_back({place(rng), place(rng)});
  std::string svg = resultSvg();
  record.cost = nullptr;
  EXPECT_LT(svg.size(), 2u << 20);
  std::size_t circles = 0;
  for (std::size_t at = svg.find("<circle"); at != std::string::npos;
       at = svg.find("<circle", at + 1))
    ++circles;
  EXPECT_EQ(circles, static_cast<std::size_t>(n));
  EXPECT_GT(render(svg).width, 0);
  edgeRecords.clear();
}
