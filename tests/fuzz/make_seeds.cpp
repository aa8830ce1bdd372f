// Writes the seed corpus of every fuzz target, and the inputs that once
// cost without bound (named after the fault), into OUTDIR/seeds/TARGET and
// OUTDIR/regressions/TARGET.  Everything is made here: small pictures the
// picture library writes, forged ones, and text.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#include <vips/vips8>

#include "hostile_pictures.h"
#include "model/local_date.h"
#include "platform/desktop/restore_journal.h"
#include "test_pictures.h"

namespace {

namespace fs = std::filesystem;
using vendaro::testing::Rgba;

fs::path out;

void Put(const std::string& kind, const std::string& target, const std::string& name,
         const std::string& bytes) {
  const fs::path folder = out / kind / target;
  fs::create_directories(folder);
  std::ofstream(folder / name, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}
void Seed(const std::string& target, const std::string& name, const std::string& bytes) {
  Put("seeds", target, name, bytes);
}
void Regression(const std::string& target, const std::string& name, const std::string& bytes) {
  Put("regressions", target, name, bytes);
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

Rgba Pattern(int x, int y) {
  return {std::uint8_t(x * 37), std::uint8_t(y * 53), std::uint8_t((x ^ y) * 11),
          std::uint8_t(200 + x)};
}

// A small picture written by the library, as bytes; `suffix` holds the
// format and its options.
std::string Picture(const std::string& suffix, int width, int height, int bands,
                    int orientation = 1) {
  const fs::path path = out / ("picture" + suffix.substr(0, suffix.find('[')));
  vendaro::testing::WritePicture(
      path.string() + suffix.substr(std::min(suffix.find('['), suffix.size())), width, height,
      bands, Pattern, orientation);
  std::string bytes = ReadAll(path);
  fs::remove(path);
  return bytes;
}

std::string Le(std::uint32_t value, int bytes) {
  std::string s;
  for (int i = 0; i < bytes; ++i) s.push_back(char((value >> (8 * i)) & 0xFF));
  return s;
}

// A 4 x 3 BMP: 24 bits, or run-length 8 bits.
std::string Bmp(bool runLength) {
  const int width = 4, height = 3;
  std::string pixels;
  if (runLength) {
    for (int y = 0; y < height; ++y) pixels += std::string{char(width), char(y * 80), 0, 0};
    pixels += std::string("\0\x01", 2);
  } else {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) pixels += {char(x * 60), char(y * 90), char(40)};
  }
  const std::uint32_t palette = runLength ? 256 * 4 : 0;
  const std::uint32_t offset = 14 + 40 + palette;
  std::string bmp = "BM" + Le(offset + std::uint32_t(pixels.size()), 4) + Le(0, 4) + Le(offset, 4);
  bmp += Le(40, 4) + Le(width, 4) + Le(height, 4) + Le(1, 2) + Le(runLength ? 8 : 24, 2);
  bmp += Le(runLength ? 1 : 0, 4) + Le(std::uint32_t(pixels.size()), 4) + Le(2835, 4) +
         Le(2835, 4) + Le(runLength ? 256 : 0, 4) + Le(0, 4);
  for (std::uint32_t i = 0; i < palette / 4; ++i) bmp += Le(i * 0x010101u, 4);
  return bmp + pixels;
}

struct Named {
  std::string name, bytes;
};

std::vector<Named> Pictures() {
  const std::string png = Picture(".png", 5, 4, 3);
  return {
      {"baseline.jpg", Picture(".jpg", 19, 13, 3)},
      {"progressive.jpg", Picture(".jpg[interlace]", 17, 9, 3)},
      {"turned.jpg", Picture(".jpg", 12, 7, 3, 6)},
      {"grey.jpg", Picture(".jpg", 8, 8, 1)},
      {"rgb.png", png},
      {"alpha.png", Picture(".png", 5, 4, 4)},
      {"grey.png", Picture(".png", 6, 3, 1)},
      {"interlaced.png", Picture(".png[interlace]", 9, 9, 3)},
      {"turned.png", vendaro::testing::PngWithOrientation(png, 8)},
      {"plain.bmp", Bmp(false)},
      {"run-length.bmp", Bmp(true)},
      {"frames.gif", Picture(".gif", 6, 5, 3)},
      {"strips.tif", Picture(".tif", 7, 5, 3)},
      {"lossless.webp", Picture(".webp[lossless]", 6, 6, 4)},
      {"small.avif", Picture(".avif", 8, 6, 3)},
      {"small.heic", Picture(".heic", 8, 6, 3)},
      {"small.jxl", Picture(".jxl", 8, 6, 3)},
  };
}

// The pictures that probe fine and claimed far more than they held.
std::vector<Named> HostilePictures() {
  using namespace vendaro::testing;
  std::vector<Named> pictures = {
      {"png-text-chunk-claims-2gb.png", PngWithTextClaiming(0x7FFFFFF0u)},
      {"bmp-run-length-claims-16384-square-without-data.bmp", RleBmpClaiming(16384, 16384)},
      {"jpeg-progressive-claims-16384-square.jpg", ProgressiveJpegClaiming(16384, 16384)},
      {"jpeg-progressive-scan-repeated-1000-times.jpg", ProgressiveJpegRepeatingAScan(1000)},
      {"jpeg-cut-off-and-closed-with-end-marker.jpg", JpegCutAndClosed()},
      {"png-text-unpacking-to-32mb.png", PngWithTextUnpackingTo(4 << 20, 8)},
      {"gif-claims-16384-square.gif", GifClaiming(16384, 16384)},
      {"webp-claims-8000-square.webp", WebpClaiming(8000, 8000)},
      {"bmp-run-length-5000-square-filled.bmp", RleBmpFilled(5000, 5000)},
      {"jpeg-header-without-scan.jpg", JpegHeaderOnly()},
  };
  for (const NamedBytes& other : OtherKindsNamedAsPictures())
    pictures.push_back({"another-kind-" + other.name, other.bytes});
  return pictures;
}

void PictureSeeds() {
  const std::string options[] = {
      std::string("\x00\x00\x01\x02\x20\x18", 6),  // stretched bicubic
      std::string("\x01\x04\x02\x01\x30\x10", 6),  // fitted bilinear, edge copy
      std::string("\x02\x08\x00\x00\x09\x2f", 6),  // filled, nearest
      std::string("\x03\x03\x01\x02\x05\x05", 6),  // original size
      std::string("\x04\x00\x01\x00\x3f\x2f", 6),  // tiles
  };
  int n = 0;
  for (const Named& p : Pictures()) {
    Seed("probe", p.name, p.bytes);
    Seed("qt_picture", p.name, p.bytes);
    if (p.name.ends_with(".jpg")) {
      for (char shrink : {0, 1, 3})
        Seed("jpeg_rows", std::to_string(int(shrink)) + "-" + p.name, shrink + p.bytes);
    }
    Seed("compose", p.name, options[n++ % 5] + p.bytes);
  }
  for (const Named& p : HostilePictures()) {
    Regression("probe", p.name, p.bytes);
    Regression("qt_picture", p.name, p.bytes);
    if (p.name.ends_with(".jpg")) Regression("jpeg_rows", p.name, '\0' + p.bytes);
    for (int i = 0; i < 5; ++i)
      Regression("compose", std::to_string(i) + "-" + p.name, options[i] + p.bytes);
  }
  const std::string exif("MM\0\x2a\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\x06\0\0\0\0\0\0", 26);
  std::string little("II\x2a\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0\x03\0\0\0\0\0\0\0", 26);
  Seed("exif", "big-endian", "Exif" + std::string(2, '\0') + exif);
  Seed("exif", "little-endian", "Exif" + std::string(2, '\0') + little);
}

void TextSeeds() {
  const std::string settings =
      "[Zmiany]\r\nCzas zmian=15\r\nZmiana losowa=1\r\nRozciagniecie=2\r\nKolor=clRed\r\n"
      "Wyrownanie=4\r\nOstatnia pozycja=3\r\nInfo Zmiany=2024-05-06\r\n\r\n[Opcje]\r\nWersja=0\r\n";
  Seed("ini", "settings", settings);
  Seed("ini", "lf-bom-quotes",
       "\xEF\xBB\xBF[zmiany]\n ; note\n kolor = \"$00FFEAD7\" \n[Zmiany]\nx=1");
  Seed("ini", "cr-hex", "[Opcje]\rWersja=$10\r[Zmiany]\rRozciagniecie=0x103\r");
  Regression("ini", "settings-of-bare-cr", std::string(1 << 20, '\r') + settings);
  std::string shortLines;
  while (shortLines.size() < (1 << 20)) shortLines += "k=1\n";
  Regression("ini", "settings-of-short-lines", shortLines + settings);

  Seed("list", "crlf", "/home/a/one.jpg\r\n/home/a/two.png\r\n");
  Seed("list", "mixed", "/a.jpg\n\r/b.bmp\r/c\xe9.gif\r\n\n/d.tif");
  Seed("list", "nul", std::string("/a.jpg\r\n/b\0.jpg\r\n", 17));
  Regression("list", "list-of-bare-cr", std::string(1 << 20, '\r'));
  std::string copies;
  for (int i = 0; i < 20000; ++i) copies += "/pictures/one.jpg\r\n";
  Regression("list", "list-of-copies-of-one-path", copies);

  for (const char* c : {"clRed", "clBackground", "$00FFEAD7", "$FF000005", "12345", "-1", "0x10"})
    Seed("color", c[0] == '$' ? std::string("hex") + (c + 1) : c, c);

  for (const auto& [y, m, d] : {std::tuple{2024, 2, 29}, {1899, 12, 30}, {9999, 12, 31}})
    Seed("date", std::to_string(y), vendaro::FormatShortDate(vendaro::DateFromYmd(y, m, d)));
  Seed("date", "junk", "31.13.2024");

  Seed("desktop_entry", "entry",
       "[Desktop Entry]\nType=Application\nName=Vendaro\nExec=\"/opt/my apps/vendaro\" %U\n"
       "X-GNOME-Autostart-enabled=true\n");
  Seed("desktop_entry", "escapes",
       "[Desktop Entry]\nExec=\"/a\\\\\\\\b/\\$c\" %% --x\n[Other]\nExec=no\n");
  Seed("desktop_entry", "path", "/usr/bin/vendaro");

  vendaro::RestoreJournal journal;
  journal.kind = vendaro::DesktopKind::Kde;
  journal.Add("desktops", "[{\"id\":1,\"Image\":\"file:///a=b%c.jpg\"}]");
  journal.Add("picture-uri", "file:///x\ny");
  const fs::path folder = out / "journal";
  fs::create_directories(folder);
  if (vendaro::WriteJournal(folder.string() + "/", journal))
    Seed("restore_journal", "kde", ReadAll(vendaro::JournalPath(folder.string() + "/")));
  fs::remove_all(folder);
  Seed("restore_journal", "x11", "backend=x11\nroot=%0A%3D\n");

  for (const char* c : {"255,0,0", " 12 , 34 , 56 ", "#ff00ff", "red", "10,20,30,40"})
    Seed("plasma_color", std::to_string(std::hash<std::string>()(c) % 100000), c);
  Seed("helper_protocol", "probe", "4;5:probe8:/a/b.png9:5368709121:5");
  Seed("helper_protocol", "answer", std::string("3;2:ok0:6:\xff\0\0\xff\0\0", 16));
  Seed("helper_protocol", "reason", "2;2:no11:bad request");
  // A count and a length that must be refused before anything is held.
  Regression("helper_protocol", "field-beyond-limit", "1;999999999999:");
  Regression("helper_protocol", "endless-count", std::string(64, '9'));
  Seed("plasma_script", "quotes", "/home/o'brien/\"pics\"\\x.jpg");
  Seed("plasma_script", "unicode", "/home/\xc5\xbc\xc3\xb3\xc5\x82w/\xe2\x80\xa8line\n\xff.jpg");
  Seed("plasma_script", "json", "[{\"id\":\"1\",\"plugin\":\"org.kde.image\",\"Image\":\"a'b\"}]");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
    return 2;
  }
  out = argv[1];
  fs::remove_all(out / "seeds");
  fs::remove_all(out / "regressions");
  fs::create_directories(out);
  PictureSeeds();
  TextSeeds();
  return 0;
}
