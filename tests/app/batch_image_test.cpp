// The batch mode's picture: --image by its ending, --image-scale, and the bad values of both.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const std::string kData = CURVALIS_TEST_DATA_DIR;

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Where the running test's batch runs write their standard error: one file a test, since CTest
// runs the tests of this file side by side in the same data folder.
std::string ErrPath() {
  return kData + "/stderr-" + ::testing::UnitTest::GetInstance()->current_test_info()->name() +
         ".txt";
}

// The exit code of a batch run; its standard error goes to ErrPath().
int Batch(const std::vector<std::string>& args) {
  std::string cmd = "QT_QPA_PLATFORM=offscreen CURVALIS_DATA_DIR=" + Quote(kData) + " " +
                    Quote(CURVALIS_PROGRAM) + " --batch";
  for (const auto& a : args) cmd += " " + Quote(a);
  cmd += " >/dev/null 2>" + Quote(ErrPath());
  const int status = std::system(cmd.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

std::uint32_t BigEndian(const std::string& b, std::size_t at) {
  return std::uint32_t(std::uint8_t(b[at])) << 24 | std::uint32_t(std::uint8_t(b[at + 1])) << 16 |
         std::uint32_t(std::uint8_t(b[at + 2])) << 8 | std::uint8_t(b[at + 3]);
}

std::int32_t LittleEndian(const std::string& b, std::size_t at) {
  return std::int32_t(
      std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8 |
      std::uint32_t(std::uint8_t(b[at + 2])) << 16 | std::uint32_t(std::uint8_t(b[at + 3])) << 24);
}

// Width and height of a PNG (its IHDR) or a BMP (its info header), or -1.
std::pair<long, long> PictureSize(const std::string& bytes) {
  if (bytes.size() > 24 && bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0) {
    return {BigEndian(bytes, 16), BigEndian(bytes, 20)};
  }
  if (bytes.size() > 26 && bytes.compare(0, 2, "BM") == 0) {
    return {LittleEndian(bytes, 18), std::labs(LittleEndian(bytes, 22))};
  }
  return {-1, -1};
}

// A bad picture option is a bad argument: exit 2, nothing run, nothing written.
TEST(BatchImage, BadValuesExit2BeforeAnythingRuns) {
  const std::string out = kData + "/bad.png";
  const std::vector<std::vector<std::string>> cases = {
      {"--image-scale", "0"},      {"--image-scale", "9"},      {"--image-scale", "1.5"},
      {"--image-scale", "x"},      {"--image-scale", ""},       {"--image-scale", "-1"},
      {"--image-scale", "03"},     {"--image-scale"},           {"--image", kData + "/bad.jpg"},
      {"--image", kData + "/bad"}, {"--image", kData + "/png"},
  };
  for (const auto& args : cases) {
    std::remove(out.c_str());
    std::vector<std::string> all = {"--formula", "x", "mSalva", "--image", out};
    all.insert(all.end(), args.begin(), args.end());
    EXPECT_EQ(Batch(all), 2) << args[0] << " " << (args.size() > 1 ? args[1] : "");
    EXPECT_FALSE(Exists(out)) << args[0];
    EXPECT_NE(Read(ErrPath()).find("usage:"), std::string::npos);
  }
}

// Each kind by its ending; PNG and BMP enlarged by the scale, SVG and PDF vectors at any.
TEST(BatchImage, WritesEachKindByItsEnding) {
  struct Case {
    const char* name;
    const char* scale;
    long width, height;  // -1: a vector picture
    const char* start;
  };
  const Case cases[] = {
      {"studio.png", "1", 632, 434, "\x89PNG"},   {"studio.png", "3", 1896, 1302, "\x89PNG"},
      {"studio.PNG", "8", 5056, 3472, "\x89PNG"}, {"studio.bmp", "2", 1264, 868, "BM"},
      {"studio.svg", "4", -1, -1, "<?xml"},       {"studio.pdf", "1", -1, -1, "%PDF-"},
  };
  for (const Case& c : cases) {
    const std::string path = kData + "/" + c.name;
    std::remove(path.c_str());
    EXPECT_EQ(Batch({"--formula", "x^3-3*x", "mGrafico", "mStudio", "--image", path,
                     "--image-scale", c.scale}),
              0)
        << c.name;
    const std::string bytes = Read(path);
    EXPECT_EQ(bytes.compare(0, std::string(c.start).size(), c.start), 0) << c.name;
    if (c.width > 0) {
      EXPECT_EQ(PictureSize(bytes), std::make_pair(c.width, c.height)) << c.name << c.scale;
    } else if (bytes.compare(0, 5, "<?xml") == 0) {
      EXPECT_NE(bytes.find("Minimi</text>"), std::string::npos);
    }
  }
}

// Without --image-scale a BMP is the bitmap "Salva grafico" writes, byte for byte.
TEST(BatchImage, BmpAtScaleOneIsTheSavedBitmap) {
  const std::string path = kData + "/same.bmp";
  std::remove((kData + "/Grafico.bmp").c_str());
  ASSERT_EQ(Batch({"--formula", "sin(x)", "mSalvaT", "--image", path}), 0);
  const std::string saved = Read(kData + "/Grafico.bmp");
  EXPECT_EQ(PictureSize(saved), std::make_pair(632L, 434L));
  EXPECT_TRUE(Read(path) == saved);
}

// A picture that cannot be written: exit 1 and the reason; the commands have run.
TEST(BatchImage, UnwritablePictureExits1) {
  const std::string file = kData + "/a-file";
  std::ofstream(file) << "x";
  std::remove((kData + "/Archivio.txt").c_str());
  EXPECT_EQ(Batch({"--formula", "x", "mSalvaF", "--image", file + "/graph.svg"}), 1);
  EXPECT_NE(Read(ErrPath()).find("cannot write the image " + file), std::string::npos);
  EXPECT_EQ(Read(kData + "/Archivio.txt"), "\"x\"\r\n");
}

}  // namespace
