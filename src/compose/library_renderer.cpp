#include <gmodule.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <vips/vips8>

#include "compose/decode_limits.h"
#include "compose/direct_draw.h"
#include "compose/format_readers.h"
#include "compose/jpeg_reader.h"
#include "compose/picture_library.h"
#include "compose/probe.h"
#include "compose/qt_picture.h"
#include "compose/repeat.h"
#include "compose/row_sources.h"
#include "compose/tiff_layout.h"
#include "compose/turn.h"
#include "system/process.h"

namespace vendaro {
namespace {

using vips::VError;
using vips::VImage;

struct Box {
  std::int64_t x = 0, y = 0, w = 0, h = 0;
  bool empty() const { return w <= 0 || h <= 0; }
};

Box Intersect(const Box& a, const Box& b) {
  const std::int64_t left = std::max(a.x, b.x), top = std::max(a.y, b.y);
  const std::int64_t right = std::min(a.x + a.w, b.x + b.w);
  const std::int64_t bottom = std::min(a.y + a.h, b.y + b.h);
  return {left, top, right - left, bottom - top};
}

struct CanvasTarget {
  Canvas* canvas;
  std::int64_t dx, dy;
  int skippedRows;
};

int CopyComputedRows(VipsRegion* region, VipsRect* area, void* target) {
  const auto* t = static_cast<const CanvasTarget*>(target);
  const std::size_t bytes = static_cast<std::size_t>(area->width) * 3;
  for (int y = std::max(area->top, t->skippedRows); y < area->top + area->height; ++y) {
    const std::int64_t canvasY = t->dy + y - t->skippedRows;
    std::uint8_t* to = t->canvas->row(static_cast<int>(canvasY)) + (t->dx + area->left) * 3;
    std::memcpy(to, VIPS_REGION_ADDR(region, area->left, y), bytes);
  }
  return 0;
}

// The library's own errors are English, over several lines, and name its
// internals: the user gets one line in the program's words instead.
Status LibraryError() {
  vips_error_clear();
  return Status::Error("jego dane są uszkodzone albo nieobsługiwane");
}

// Computes the pixels on the library's worker threads straight into the
// canvas at (dx, dy), which the caller has checked lies on it: no buffer of
// the picture's size in between.  The first `skippedRows` rows of `rgb` are
// computed and dropped: a streamed picture read from its middle would
// otherwise keep every row above in memory (216 MB for the middle of a
// 12000 x 12000 picture), while rows read and dropped cost only time.
Status RenderInto(Canvas& canvas, const VImage& rgb, std::int64_t dx, std::int64_t dy,
                  int skippedRows) {
  CanvasTarget target{&canvas, dx, dy, skippedRows};
  if (vips_sink_disc(rgb.get_image(), CopyComputedRows, &target) == 0) return Status::Ok();
  return LibraryError();
}

int Orientation(const VImage& image) {
  if (image.get_typeof(VIPS_META_ORIENTATION) == 0) return 1;
  return image.get_int(VIPS_META_ORIENTATION);
}

void ReleaseQtPixels(VipsImage*, QImage* image) {
  delete image;
}

// A BMP picture, which the library has no loader for, read by Qt.  The
// library reads Qt's pixels where they are (four bytes a pixel, so rows
// without padding): the picture is held once, not copied.
Result<VImage> ImageFromQt(const std::string& path) {
  Result<Claimed<QImage>> picture = ReadWithQt(path, false, kMaxPicturePixels);
  if (!picture) return picture.status();
  if (!picture->mine()) return Status::Error("nie można otworzyć pliku BMP „" + path + "”");
  auto* image = new QImage(std::move(picture->value()));
  const bool alpha = image->hasAlphaChannel();
  VipsImage* shared =
      vips_image_new_from_memory(image->constBits(), std::size_t(image->sizeInBytes()),
                                 image->width(), image->height(), 4, VIPS_FORMAT_UCHAR);
  if (!shared) {
    delete image;
    return Status::Error("nie można zdekodować obrazka „" + path + "”: brak pamięci");
  }
  g_signal_connect(shared, "postclose", G_CALLBACK(ReleaseQtPixels), image);
  const VImage result(shared);
  const VImage bands = alpha ? result : result.extract_band(0, VImage::option()->set("n", 3));
  return bands.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

// A picture to draw, opened lazily (only the header is read here) by the
// loader its signature names, from the file opened once: nothing in its name
// is read as options ("a.tif[page=0]" is a file of that name), and a file of
// another kind never reaches a loader that would take it.  Truncated data
// counts as undecodable rather than drawing a half-grey picture.
class Picture {
 public:
  static Result<Picture> FromFile(std::string path) {
    Picture picture(std::move(path));
    picture.file_ = std::make_shared<InputFile>(picture.path_);
    if (!picture.file_->isOpen())
      return Status::Error("nie można otworzyć pliku „" + picture.path_ + "”");
    const std::optional<PictureFormat> format = FormatOfFile(*picture.file_);
    if (!format) return Status::Error("„" + picture.path_ + "”: " + UnknownFormatReason());
    picture.format_ = *format;
    if (!LibraryLoaderOf(*format)) {
      const Result<PictureSize> size = ProbePicture(picture.path_);
      if (!size) return Status::Error("„" + picture.path_ + "”: " + size.message());
      picture.byQt_ = true;
      picture.uprightWidth_ = size->width;
      picture.uprightHeight_ = size->height;
      return picture;
    }
    // The library's JPEG reader would look for the next marker through any
    // junk after the header, the whole file long; the program's own reader
    // reads the header within a bound and fails where the library would.
    if (*format == PictureFormat::Jpeg) {
      JpegReader header;
      if (Status opened = header.Open(picture.path_); !opened)
        return Status::Error("nie można zdekodować obrazka „" + picture.path_ +
                             "”: " + opened.message());
    }
    // libpng here allocates a chunk's stated length too; see png_chunks.h.
    if (*format == PictureFormat::Png) {
      if (Status damaged = PngProblem(WalkPngChunks(*picture.file_)); !damaged)
        return Status::Error("nie można zdekodować obrazka „" + picture.path_ +
                             "”: " + damaged.message());
    }
    picture.image_ = picture.Open(1);
    const int orientation = Orientation(picture.image_);
    picture.orientation_ = orientation;
    picture.rotated_ = orientation != 1;
    const bool swapped = orientation >= 5 && orientation <= 8;
    picture.uprightWidth_ = swapped ? picture.image_.height() : picture.image_.width();
    picture.uprightHeight_ = swapped ? picture.image_.width() : picture.image_.height();
    return picture;
  }

  std::int64_t uprightWidth() const { return uprightWidth_; }
  std::int64_t uprightHeight() const { return uprightHeight_; }
  bool jpeg() const { return format_ == PictureFormat::Jpeg; }
  bool rotated() const { return rotated_; }
  int orientation() const { return orientation_; }

  // Whether decoding stays within the limits of decode_limits.h.  Checked
  // before any pixel is decoded.
  Status CheckLimits(bool turnedWhole) const {
    if (byQt_) return Status::Ok();  // ReadWithQt checks its own
    if (jpeg()) {
      JpegReader reader;
      if (Status opened = reader.Open(path_); !opened) return opened;
      if (Status scans = reader.CheckScans(); !scans) return scans;
    }
    const std::int64_t sampleBytes =
        std::int64_t{image_.bands()} * std::int64_t(vips_format_sizeof(image_.format()));
    if (sampleBytes > image_.bands() &&
        std::int64_t{image_.width()} * image_.height() * sampleBytes > kMostWideSampleBytes)
      return Status::Error("przeliczenie jego próbek szerszych niż bajt trwałoby za długo");
    const std::int64_t held = HeldBytes(turnedWhole);
    if (held <= kDecodeMemoryBytes) return Status::Ok();
    return Status::Error("dekodowanie zajęłoby " + std::to_string(held >> 20) +
                         " MB pamięci, więcej niż " + std::to_string(kDecodeMemoryBytes >> 20) +
                         " MB, które może zająć obrazek");
  }

  // The picture as stored, before any turn, read top to bottom; a JPEG
  // decoded at 1/shrink of its size.
  Result<VImage> Stored(int shrink) {
    if (byQt_) return ImageFromQt(path_);
    return shrink > 1 ? Open(shrink) : image_;
  }

  // The upright picture, decoded at 1/shrink of its size (JPEG only).
  Result<VImage> Upright(int shrink) {
    if (byQt_) return ImageFromQt(path_);
    VImage image = shrink > 1 || rotated_ ? Open(shrink) : image_;
    return rotated_ ? image.autorot() : image;
  }

 private:
  explicit Picture(std::string path) : path_(std::move(path)) {}

  // What the loader holds whole as it decodes: a GIF frame; a WebP picture,
  // which its decoder and the library each hold (530 MB at 8000 x 8000); an
  // interlaced PNG; a TIFF's row of tiles or strip; and the whole picture
  // where the library turns it.
  std::int64_t HeldBytes(bool turnedWhole) const {
    const std::int64_t pixels = std::int64_t{image_.width()} * image_.height();
    const std::int64_t sampleBytes =
        std::int64_t{image_.bands()} * std::int64_t(vips_format_sizeof(image_.format()));
    std::int64_t held = 0;
    if (format_ == PictureFormat::Gif) held += pixels * 4;
    if (format_ == PictureFormat::Webp) held += pixels * 8;
    if (format_ == PictureFormat::Tiff) held += TiffBandBytes(*file_);
    if (image_.get_typeof("interlaced") != 0 && image_.get_int("interlaced") != 0)
      held += pixels * sampleBytes;
    if (turnedWhole && rotated_) held += pixels * sampleBytes;
    return held;
  }

  VImage Open(int shrink) const {
    // Turning a picture needs its rows out of order, so those are opened for
    // random access; everything else streams top to bottom.
    vips::VOption* options = VImage::option()->set("fail_on", VIPS_FAIL_ON_TRUNCATED);
    if (!rotated_) options->set("access", VIPS_ACCESS_SEQUENTIAL);
    if (shrink > 1) options->set("shrink", shrink);
    // The file already open, under a name of the system's that holds no
    // options; each opening reads from its own position.
    const std::string opened = "/proc/self/fd/" + std::to_string(file_->handle());
    const vips::VSource source = vips::VSource::new_from_file(opened.c_str());
    VImage out;
    VImage::call(LibraryLoaderOf(format_), options->set("source", source)->set("out", &out));
    return out;
  }

  std::string path_;
  std::shared_ptr<InputFile> file_;
  PictureFormat format_ = PictureFormat::Jpeg;
  bool byQt_ = false;
  bool rotated_ = false;
  int orientation_ = 1;
  VImage image_;
  std::int64_t uprightWidth_ = 0;
  std::int64_t uprightHeight_ = 0;
};

// Opaque 8-bit sRGB: other colour spaces converted, transparency blended
// over the background ("over"), so the canvas only ever receives copies.
VImage OpaqueRgb(VImage image, ColorValue background) {
  if (image.interpretation() != VIPS_INTERPRETATION_sRGB)
    image = image.colourspace(VIPS_INTERPRETATION_sRGB);
  if (image.format() != VIPS_FORMAT_UCHAR) image = image.cast(VIPS_FORMAT_UCHAR);
  if (image.has_alpha()) {
    const std::vector<double> colour{double(RedOf(background)), double(GreenOf(background)),
                                     double(BlueOf(background))};
    image = image.flatten(VImage::option()->set("background", colour));
    if (image.format() != VIPS_FORMAT_UCHAR) image = image.cast(VIPS_FORMAT_UCHAR);
  }
  if (image.bands() > 3) image = image.extract_band(0, VImage::option()->set("n", 3));
  return image;
}

VipsKernel KernelFor(Choice<ScaleFilter> interpolation) {
  switch (ScaleFilter(interpolation)) {
    case ScaleFilter::Nearest:
      return VIPS_KERNEL_NEAREST;
    case ScaleFilter::Bilinear:
      return VIPS_KERNEL_LINEAR;
    default:
      return VIPS_KERNEL_CUBIC;
  }
}

// JPEG can decode at 1/2, 1/4 or 1/8 of its size; that is used when the
// picture is shrunk at least as much on both axes, so the kernel still does
// the last (downward) step.  Nearest neighbour keeps the full decode: a block
// average would not be the nearest sample.
int JpegShrink(const Picture& picture, const Placement& p, Choice<ScaleFilter> interpolation) {
  if (!picture.jpeg() || interpolation == ScaleFilter::Nearest) return 1;
  return JpegShrinkFor(
      std::min(double(picture.uprightWidth()) / p.w, double(picture.uprightHeight()) / p.h));
}

const char* InterpolatorFor(Choice<ScaleFilter> interpolation) {
  switch (ScaleFilter(interpolation)) {
    case ScaleFilter::Nearest:
      return "nearest";
    case ScaleFilter::Bilinear:
      return "bilinear";
    default:
      return "bicubic";
  }
}

// The part `visible` (in destination coordinates, relative to the rectangle's
// corner) of the picture resampled to w x h, pixel centres at index + 0.5.
// Shrinking axes are prefiltered by the library's reduce (box shrink, then
// the kernel); what is left is one affine step that computes only the
// pixels asked for.
VImage Resample(VImage image, std::int64_t w, std::int64_t h, const Box& visible,
                Choice<ScaleFilter> interpolation) {
  // Shrinking goes through reduce, which reads a streamed picture in order
  // (the affine step would jump about and fail on it); with the nearest
  // kernel reduce picks the centre sample, like the affine step would.  The
  // library's integer pre-shrink would pick the first pixel of each block
  // instead, so for nearest neighbour a huge gap turns it off.
  const double hshrink = std::min(1.0, double(w) / image.width());
  const double vshrink = std::min(1.0, double(h) / image.height());
  if (hshrink < 1.0 || vshrink < 1.0)
    image =
        image.resize(hshrink, VImage::option()
                                  ->set("vscale", vshrink)
                                  ->set("kernel", KernelFor(interpolation))
                                  ->set("gap", interpolation == ScaleFilter::Nearest ? 1e6 : 2.0));
  const auto visiblePart = [&visible](const VImage& whole) {
    return whole.extract_area(int(visible.x), int(visible.y), int(visible.w), int(visible.h));
  };
  if (image.width() == w && image.height() == h) return visiblePart(image);
  // Whole-number enlargement by nearest neighbour: exact blocks, copied.
  if (interpolation == ScaleFilter::Nearest && w % image.width() == 0 && h % image.height() == 0)
    return visiblePart(image.zoom(int(w / image.width()), int(h / image.height())));
  // The library maps output X to input (X - odx) / scale - idx and samples
  // nearest at the floor, the smooth filters at pixel centres; these offsets
  // give centre-to-centre mapping for both.
  const double inputShift = interpolation == ScaleFilter::Nearest ? 0.0 : 0.5;
  const std::vector<int> area{int(visible.x), int(visible.y), int(visible.w), int(visible.h)};
  return image.affine(
      {double(w) / image.width(), 0.0, 0.0, double(h) / image.height()},
      VImage::option()
          ->set("interpolate", vips::VInterpolate::new_from_name(InterpolatorFor(interpolation)))
          ->set("idx", inputShift)
          ->set("idy", inputShift)
          ->set("odx", -0.5)
          ->set("ody", -0.5)
          ->set("oarea", area)
          ->set("extend", VIPS_EXTEND_COPY));
}

constexpr double kHeldBytesLimit = 32.0 * 1024 * 1024;

Status DrawScaled(Canvas& canvas, Picture& picture, const Placement& p,
                  Choice<ScaleFilter> interpolation, ColorValue background) {
  const Box visible = Intersect({p.x, p.y, p.w, p.h}, {0, 0, canvas.width, canvas.height});
  if (visible.empty()) return Status::Ok();
  const Result<VImage> upright = picture.Upright(JpegShrink(picture, p, interpolation));
  if (!upright) return upright.status();
  const VImage image = OpaqueRgb(*upright, background);
  // Computing and dropping the rectangle's rows above the canvas keeps the
  // picture's rows above out of memory (see RenderInto).  That pays only
  // where those would be many: an enlarged narrow picture would instead cost
  // far more rows of output than it saves.
  const std::int64_t above = visible.y - p.y;
  const double heldBytes = double(above) / p.h * image.height() * image.width() * 3;
  const std::int64_t dropped = heldBytes > kHeldBytesLimit ? above : 0;
  const Box computed{visible.x - p.x, above - dropped, visible.w, visible.h + dropped};
  return RenderInto(canvas, Resample(image, p.w, p.h, computed, interpolation), visible.x,
                    visible.y, int(dropped));
}

// The part of the upright picture placed at (x, y) that lies on the canvas,
// and where that part goes.
struct VisiblePart {
  VImage image;
  Box box;
  int skippedRows;  // rows of `image` above the canvas
};
Result<VisiblePart> Visible(const Canvas& canvas, Picture& picture, ColorValue background,
                            std::int64_t x, std::int64_t y) {
  const Result<VImage> upright = picture.Upright(1);
  if (!upright) return upright.status();
  VImage image = OpaqueRgb(*upright, background);
  const Box visible =
      Intersect({x, y, image.width(), image.height()}, {0, 0, canvas.width, canvas.height});
  if (visible.empty()) return VisiblePart{image, visible, 0};
  return VisiblePart{
      image.extract_area(int(visible.x - x), 0, int(visible.w), int(visible.y - y + visible.h)),
      visible, int(visible.y - y)};
}

Status DrawUnscaled(Canvas& canvas, Picture& picture, const Placement& p, ColorValue background) {
  const Result<VisiblePart> part = Visible(canvas, picture, background, p.x, p.y);
  if (!part) return part.status();
  if (part->box.empty()) return Status::Ok();
  return RenderInto(canvas, part->image, part->box.x, part->box.y, part->skippedRows);
}

// The copies lie on a grid of the recorded size and are drawn row by row,
// so where the picture is larger than its recorded size a later copy covers
// an earlier one, and where it is smaller the background shows between them.
// Either way the canvas repeats one cell of the grid: the picture's top-left
// part over the background.  That cell is drawn once and then copied.
Status DrawTiled(Canvas& canvas, Picture& picture, const Placement& p, ColorValue background) {
  const int cellWidth = std::min(p.w, canvas.width);
  const int cellHeight = std::min(p.h, canvas.height);
  const Result<VImage> upright = picture.Upright(1);
  if (!upright) return upright.status();
  const VImage image = OpaqueRgb(*upright, background);
  const Status rendered = RenderInto(canvas,
                                     image.extract_area(0, 0, std::min(image.width(), cellWidth),
                                                        std::min(image.height(), cellHeight)),
                                     0, 0, 0);
  if (rendered) RepeatCell(canvas, cellWidth, cellHeight);
  return rendered;
}

// Of the library's optional modules only those of accepted formats are
// loaded (HEIF and AVIF, JPEG XL); the others (ImageMagick, PDF, slide
// scanners) would cost start-up time and resident memory and hand odd files
// to large decoders.  The library looks for modules under $VIPSHOME/lib
// when that is set, so during its start it is pointed where no folder can
// exist, and the wanted ones are loaded by name afterwards.  A module that
// is missing leaves its format undecodable, with the library's reason.
bool StartWithoutModules() {
  const TemporaryEnvironment noModules("VIPSHOME", "/dev/null");
  return VIPS_INIT("vendaro") == 0;
}

void LoadWantedModules() {
  for (const char* name : {"vips-heif", "vips-jxl"}) {
    const std::string file = std::string(VENDARO_VIPS_MODULES) + "/" + name + ".so";
    if (GModule* module = g_module_open(file.c_str(), G_MODULE_BIND_LAZY))
      g_module_make_resident(module);
  }
}

// Every loader but the accepted formats' is blocked for the process: were a
// file to reach the library by another way than FromFile, no other decoder
// would take it either.  (Blocking the operations the library marks
// untrusted would add nothing for loading, and would block the JPEG XL
// writer of the tests' pictures.)
void BlockOtherLoaders() {
  vips_operation_block_set("VipsForeignLoad", TRUE);
  for (const PictureFormatInfo& info : PictureFormats())
    if (const char* loader = LibraryLoaderClassOf(info.format))
      vips_operation_block_set(loader, FALSE);
}

// Starts the library once; see StartWithoutModules.
bool Start() {
  static const bool started = [] {
    if (!StartWithoutModules()) return false;
    LoadWantedModules();
    BlockOtherLoaders();
    // Decoder warnings would go to the terminal; the ones that matter fail
    // the load (fail_on) and reach the caller as the picture's problem.
    g_log_set_handler(
        "VIPS", G_LOG_LEVEL_WARNING, [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {},
        nullptr);
    vips_cache_set_max(0);
    vips_cache_set_max_mem(0);
    vips_cache_set_max_files(0);
    return true;
  }();
  return started;
}

// The library's C++ interface reports its failures by throwing VError; the
// caller catches them.
// The rows of a picture the library decodes, read top to bottom in strips
// on the calling thread: the streaming loaders then hold a few rows at a
// time, however large the picture.
class LibraryRows : public RowSource {
 public:
  explicit LibraryRows(VImage image)
      : image_(std::move(image)), region_(vips_region_new(image_.get_image())) {}
  ~LibraryRows() override { g_object_unref(region_); }
  LibraryRows(const LibraryRows&) = delete;
  LibraryRows& operator=(const LibraryRows&) = delete;

  int width() const override { return image_.width(); }
  int height() const override { return image_.height(); }
  Status Read(std::uint8_t* row) override {
    if (next_ >= preparedEnd_) {
      VipsRect strip{0, next_, width(), std::min(kStripRows, height() - next_)};
      if (vips_region_prepare(region_, &strip) != 0) {
        return LibraryError();
      }
      preparedEnd_ = strip.top + strip.height;
    }
    std::memcpy(row, VIPS_REGION_ADDR(region_, 0, next_), std::size_t(width()) * 3);
    ++next_;
    return Status::Ok();
  }
  Status Skip(int rows) override {
    next_ += rows;
    return Status::Ok();
  }

 private:
  static constexpr int kStripRows = 16;
  VImage image_;
  VipsRegion* region_;
  int next_ = 0;
  int preparedEnd_ = 0;
};

// Modes without a filter, and pictures stored turned in every mode but
// smooth scaling, are copied row by row as the program's own paths copy
// them: the library would hold the whole span its samples come from, or the
// whole picture to turn it (800 MB for 16384 x 16384).
//
// A JPEG shrunk a lot is decoded at 1/2, 1/4 or 1/8 of its size even here,
// where its sample is then a block's average rather than one pixel: the
// pictures that reach this path (CMYK and YCCK) would otherwise have every
// pixel decoded and converted, thirty times as long as their YCbCr twin.
Status DrawByRows(Canvas& canvas, Picture& picture, const Placement& p, ColorValue background) {
  const int shrink = p.kind == PlacementKind::Scaled && picture.jpeg()
                         ? JpegShrinkFor(std::min(double(picture.uprightWidth()) / p.w,
                                                  double(picture.uprightHeight()) / p.h))
                         : 1;
  const Result<VImage> stored = picture.Stored(shrink);
  if (!stored) return stored.status();
  LibraryRows rows(OpaqueRgb(*stored, background));
  if (!picture.rotated()) return DrawRows(canvas, rows, p);
  const Turn turn = TurnOf(picture.orientation());
  const std::int64_t width = turn.transposed ? rows.height() : rows.width();
  const std::int64_t height = turn.transposed ? rows.width() : rows.height();
  Result<std::unique_ptr<RowSource>> turned =
      TurnRows(rows, turn, NeededPart(canvas, p, width, height));
  if (!turned) return turned.status();
  return DrawRows(canvas, **turned, p);
}

Status DrawWithLibrary(Canvas& canvas, const std::string& path, const Placement& placement,
                       Choice<ScaleFilter> interpolation, ColorValue background) {
  Result<Picture> picture = Picture::FromFile(path);
  if (!picture) return picture.status();
  if (picture->uprightWidth() * picture->uprightHeight() > kMaxPicturePixels)
    return Status::Error("obrazek deklaruje " + std::to_string(picture->uprightWidth()) + " x " +
                         std::to_string(picture->uprightHeight()) +
                         " pikseli, więcej, niż da się narysować");
  const bool filtered =
      placement.kind == PlacementKind::Scaled && interpolation != ScaleFilter::Nearest;
  if (Status fits = picture->CheckLimits(filtered); !fits) return fits;
  if (!filtered && (placement.kind == PlacementKind::Scaled || picture->rotated()))
    return DrawByRows(canvas, *picture, placement, background);
  switch (placement.kind) {
    case PlacementKind::Scaled:
      return DrawScaled(canvas, *picture, placement, interpolation, background);
    case PlacementKind::Unscaled:
      return DrawUnscaled(canvas, *picture, placement, background);
    case PlacementKind::Tiled:
      return DrawTiled(canvas, *picture, placement, background);
    case PlacementKind::Nothing:
      break;
  }
  return Status::Ok();
}

Status Draw(Canvas& canvas, const std::string& path, const Placement& placement,
            Choice<ScaleFilter> interpolation, ColorValue background) {
  if (!Start()) return Status::Error("nie można uruchomić biblioteki obrazków");
  Status drawn;
  try {
    drawn = DrawWithLibrary(canvas, path, placement, interpolation, background);
  } catch (const VError&) {
    drawn = LibraryError();
  }
  return drawn;
}

Result<PictureSize> Size(const std::string& path) {
  if (!Start()) return Status::Error("nie można uruchomić biblioteki obrazków");
  try {
    Result<Picture> picture = Picture::FromFile(path);
    if (!picture) return picture.status();
    return PictureSize{int(picture->uprightWidth()), int(picture->uprightHeight())};
  } catch (const VError&) {
    return LibraryError();
  }
}

constexpr PictureLibrary kLibrary{Start, Draw, Size};

}  // namespace
}  // namespace vendaro

extern "C" __attribute__((visibility("default"))) const vendaro::PictureLibrary*
vendaro_picture_library() {
  return &vendaro::kLibrary;
}
