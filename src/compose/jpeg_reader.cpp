#include "compose/jpeg_reader.h"

#include <jerror.h>
#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "compose/decode_limits.h"
#include "system/files.h"

namespace vendaro {
namespace {

// libjpeg reports errors by calling error_exit, which must not return; it
// jumps back to the call that went wrong.  Functions holding the jump point
// keep no C++ objects with destructors, which the jump would skip.
struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void ExitWithText(j_common_ptr info, const char* text) {
  auto* error = reinterpret_cast<ErrorManager*>(info->err);
  std::snprintf(error->message, sizeof error->message, "%s", text);
  std::longjmp(error->jump, 1);
}

void ExitWithMessage(j_common_ptr info) {
  auto* error = reinterpret_cast<ErrorManager*>(info->err);
  if (info->err->msg_code == JERR_NO_BACKING_STORE)
    ExitWithText(info, "dekodowanie zajęłoby więcej pamięci, niż może zająć obrazek");
  std::snprintf(error->message, sizeof error->message,
                "jego dane są uszkodzone albo nieobsługiwane (kod libjpeg %d)",
                info->err->msg_code);
  std::longjmp(error->jump, 1);
}

// Whether a warning leaves the pixels as the file means them: metadata the
// program does not use, and stray bytes between segments (often before the
// end marker).  The others mean corrupt or missing data, which libjpeg
// would draw as grey or smeared blocks: the picture counts as undecodable.
bool HarmlessWarning(const jpeg_error_mgr& error) {
  switch (error.msg_code) {
    case JWRN_ADOBE_XFORM:
    case JWRN_BOGUS_ICC:
    case JWRN_JFIF_MAJOR:
      return true;
    case JWRN_EXTRANEOUS_DATA: {
      const int marker = error.msg_parm.i[1];
      return marker < 0xD0 || marker > 0xD7;  // not inside the entropy data
    }
    default:
      return false;
  }
}

void FailOnWarning(j_common_ptr info, int level) {
  if (level >= 0 || HarmlessWarning(*info->err)) return;
  // Plain buffers only: the jump skips destructors.  libjpeg's own text is
  // English; its code number is kept for whoever looks into the file.
  char reason[JMSG_LENGTH_MAX];
  std::snprintf(reason, sizeof reason, "jego dane są uszkodzone (kod libjpeg %d)",
                info->err->msg_code);
  ExitWithText(info, reason);
}

// Counts the entropy-decoding work of the scans as they come (libjpeg
// calls this before each step of input) and stops a file whose scans would
// take too long; see kMostScanBlocks.
struct ScanCounter {
  jpeg_progress_mgr pub;
  int scan = 0;
  std::int64_t blocks = 0;
};

void CountScanWork(j_common_ptr common) {
  if (!common->is_decompressor) return;
  auto* info = reinterpret_cast<j_decompress_ptr>(common);
  auto* counter = reinterpret_cast<ScanCounter*>(info->progress);
  if (info->input_scan_number == counter->scan) return;
  counter->scan = info->input_scan_number;
  for (int c = 0; c < info->comps_in_scan; ++c) {
    const jpeg_component_info* component = info->cur_comp_info[c];
    counter->blocks +=
        std::int64_t{component->width_in_blocks} * std::int64_t{component->height_in_blocks};
  }
  if (counter->scan > kMostScans || counter->blocks > kMostScanBlocks)
    ExitWithText(common, "dekodowanie jego skanów trwałoby za długo");
}

// Reads the file in large blocks; at its end, supplies an end marker so the
// decoder stops cleanly, and remembers that the data ran out.
struct FileSource {
  jpeg_source_mgr pub;
  InputFile* file;
  bool ended;
  JOCTET buffer[64 * 1024];
  // Where the first EXIF block of the header goes, for the orientation.
  std::vector<std::uint8_t>* exif;
  // How much more of the file the header may take: libjpeg looks for the
  // next marker through whatever bytes come, so a header followed by junk
  // would have it read the whole file (47 s for 10 GB) before it fails.
  std::int64_t headerLeft;
};

// More than any header takes, a long chain of metadata blocks included.
constexpr std::int64_t kMostHeaderBytes = 64LL << 20;

constexpr JOCTET kEndMarker[] = {0xFF, JPEG_EOI};

// libjpeg's own words for data that ran out, also where it only warns.
constexpr const char* kPrematureEnd = "Premature end of JPEG file";

void InitSource(j_decompress_ptr) {}

boolean FillBuffer(j_decompress_ptr info) {
  auto* source = reinterpret_cast<FileSource*>(info->src);
  const std::int64_t n =
      source->headerLeft > 0 ? source->file->Read(source->buffer, sizeof source->buffer) : 0;
  source->headerLeft -= n;
  if (n <= 0) {
    source->ended = true;
    source->pub.next_input_byte = kEndMarker;
    source->pub.bytes_in_buffer = sizeof kEndMarker;
    return TRUE;
  }
  source->pub.next_input_byte = source->buffer;
  source->pub.bytes_in_buffer = static_cast<std::size_t>(n);
  return TRUE;
}

void SkipInput(j_decompress_ptr info, long count) {
  auto* source = reinterpret_cast<FileSource*>(info->src);
  if (count <= 0) return;
  if (static_cast<std::size_t>(count) <= source->pub.bytes_in_buffer) {
    source->pub.next_input_byte += count;
    source->pub.bytes_in_buffer -= static_cast<std::size_t>(count);
    return;
  }
  const long beyond = count - static_cast<long>(source->pub.bytes_in_buffer);
  source->pub.bytes_in_buffer = 0;
  source->headerLeft -= beyond;
  if (!source->file->Skip(beyond)) FillBuffer(info);
}

void TermSource(j_decompress_ptr) {}

int NextByte(j_decompress_ptr info) {
  jpeg_source_mgr* source = info->src;
  if (source->bytes_in_buffer == 0) FillBuffer(info);
  --source->bytes_in_buffer;
  return *source->next_input_byte++;
}

// Keeps the first EXIF block and skips every other APP1 (XMP, more EXIF)
// unread: libjpeg's own saving would hold them all, as many as the file
// has room for.
boolean ReadApp1(j_decompress_ptr info) {
  auto* source = reinterpret_cast<FileSource*>(info->src);
  const int high = NextByte(info);
  long length = (long{high} << 8 | NextByte(info)) - 2;
  constexpr std::uint8_t kExif[] = {'E', 'x', 'i', 'f', 0, 0};
  if (source->exif->empty() && length >= long{sizeof kExif}) {
    std::vector<std::uint8_t> block;
    block.reserve(static_cast<std::size_t>(length));
    for (; length > 0 && block.size() < sizeof kExif; --length)
      block.push_back(static_cast<std::uint8_t>(NextByte(info)));
    if (std::memcmp(block.data(), kExif, sizeof kExif) == 0) {
      for (; length > 0; --length) block.push_back(static_cast<std::uint8_t>(NextByte(info)));
      *source->exif = std::move(block);
    }
  }
  SkipInput(info, length);
  return TRUE;
}

std::uint32_t Read16(const std::uint8_t* p, bool little) {
  return little ? p[0] | p[1] << 8 : p[0] << 8 | p[1];
}
std::uint32_t Read32(const std::uint8_t* p, bool little) {
  return little ? Read16(p, true) | Read16(p + 2, true) << 16
                : Read16(p, false) << 16 | Read16(p + 2, false);
}

}  // namespace

struct JpegReader::Decoder {
  jpeg_decompress_struct info{};
  ErrorManager error{};
  FileSource source{};
  std::vector<std::uint8_t> exif;
  ScanCounter scans{};
  bool created = false;

  // The reason of the failure just caught: running out of data explains
  // whatever libjpeg made of it.
  Status Failure(const char* otherwise) const {
    if (source.ended) return Status::Error(kPrematureEnd);
    return Status::Error(error.message[0] ? error.message : otherwise);
  }
};

namespace {

bool ReadHeader(jpeg_decompress_struct& info, ErrorManager& error, FileSource& source,
                ScanCounter& scans, bool& created) {
  info.err = jpeg_std_error(&error.pub);
  error.pub.error_exit = ExitWithMessage;
  error.pub.emit_message = FailOnWarning;
  if (setjmp(error.jump)) return false;
  jpeg_create_decompress(&info);
  created = true;
  // Beyond this libjpeg asks for a backing store, which it has none of, and
  // fails (see ExitWithMessage).
  info.mem->max_memory_to_use = long{kDecodeMemoryBytes};
  scans.pub.progress_monitor = CountScanWork;
  info.progress = &scans.pub;
  source.pub.init_source = InitSource;
  source.pub.fill_input_buffer = FillBuffer;
  source.pub.skip_input_data = SkipInput;
  source.pub.resync_to_restart = jpeg_resync_to_restart;
  source.pub.term_source = TermSource;
  info.src = &source.pub;
  jpeg_set_marker_processor(&info, JPEG_APP0 + 1, ReadApp1);
  source.headerLeft = kMostHeaderBytes;
  jpeg_read_header(&info, TRUE);
  source.headerLeft = std::numeric_limits<std::int64_t>::max();
  return !source.ended;
}

bool StartDecoding(jpeg_decompress_struct& info, ErrorManager& error, int shrink) {
  if (setjmp(error.jump)) return false;
  info.scale_num = 1;
  info.scale_denom = static_cast<unsigned>(shrink);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  return true;
}

// Reads every scan of a multi-scan file, in whatever colours it has.
bool AbsorbScans(jpeg_decompress_struct& info, ErrorManager& error) {
  if (setjmp(error.jump)) return false;
  info.scale_num = 1;
  info.scale_denom = 8;
  jpeg_start_decompress(&info);
  return true;
}

bool ReadOneRow(jpeg_decompress_struct& info, ErrorManager& error, JSAMPROW row) {
  if (setjmp(error.jump)) return false;
  return jpeg_read_scanlines(&info, &row, 1) == 1;
}

bool SkipSomeRows(jpeg_decompress_struct& info, ErrorManager& error, int rows) {
  if (setjmp(error.jump)) return false;
  return jpeg_skip_scanlines(&info, static_cast<JDIMENSION>(rows)) == static_cast<JDIMENSION>(rows);
}

}  // namespace

int JpegShrinkFor(double factor) {
  for (int shrink : {8, 4, 2})
    if (factor >= shrink) return shrink;
  return 1;
}

int ExifOrientation(const std::uint8_t* data, std::size_t size) {
  if (size < 6 + 8 || std::memcmp(data, "Exif\0\0", 6) != 0) return 1;
  const std::uint8_t* tiff = data + 6;
  const std::size_t length = size - 6;
  const bool little = tiff[0] == 'I' && tiff[1] == 'I';
  if (!little && !(tiff[0] == 'M' && tiff[1] == 'M')) return 1;
  if (Read16(tiff + 2, little) != 42) return 1;
  const std::uint32_t directory = Read32(tiff + 4, little);
  if (directory > length - 2) return 1;
  const std::uint32_t entries = Read16(tiff + directory, little);
  for (std::uint32_t i = 0; i < entries; ++i) {
    const std::size_t at = directory + 2 + std::size_t{i} * 12;
    if (at + 12 > length) return 1;
    const std::uint8_t* entry = tiff + at;
    if (Read16(entry, little) != 0x0112) continue;
    // Written as a SHORT, now and then as a LONG or a signed SHORT.
    const std::uint32_t type = Read16(entry + 2, little);
    if (type != 3 && type != 4 && type != 8) return 1;
    const std::uint32_t value = type == 4 ? Read32(entry + 8, little) : Read16(entry + 8, little);
    return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
  }
  return 1;
}

JpegReader::JpegReader() : decoder_(std::make_unique<Decoder>()) {}

JpegReader::~JpegReader() {
  if (decoder_->created) jpeg_destroy_decompress(&decoder_->info);
}

Status JpegReader::Open(const std::string& path) {
  file_ = InputFile(path);
  std::uint8_t magic[3] = {};
  if (!file_.isOpen() || file_.ReadAt(magic, 3, 0) != 3 || magic[0] != 0xFF || magic[1] != 0xD8 ||
      magic[2] != 0xFF)
    return Status::Error("to nie jest plik JPEG");
  Decoder& d = *decoder_;
  d.source.file = &file_;
  d.source.exif = &d.exif;
  if (!ReadHeader(d.info, d.error, d.source, d.scans, d.created)) return d.Failure(kPrematureEnd);
  if (!d.exif.empty()) orientation_ = ExifOrientation(d.exif.data(), d.exif.size());
  d.exif = {};
  return Status::Ok();
}

int JpegReader::width() const {
  return static_cast<int>(decoder_->info.image_width);
}
int JpegReader::height() const {
  return static_cast<int>(decoder_->info.image_height);
}

bool JpegReader::givesRgb() const {
  const J_COLOR_SPACE space = decoder_->info.jpeg_color_space;
  return space == JCS_YCbCr || space == JCS_RGB || space == JCS_GRAYSCALE;
}

std::int64_t JpegReader::HeldCoefficientBytes() const {
  const jpeg_decompress_struct& info = decoder_->info;
  // Only a file whose first scan leaves components or coefficients for
  // later ones needs every coefficient kept until the last scan.
  if (!info.progressive_mode && info.comps_in_scan >= info.num_components) return 0;
  std::int64_t bytes = 0;
  for (int c = 0; c < info.num_components; ++c) {
    const jpeg_component_info& component = info.comp_info[c];
    bytes += std::int64_t{component.width_in_blocks} * component.height_in_blocks *
             std::int64_t{sizeof(JBLOCK)};
  }
  return bytes;
}

Status JpegReader::CheckMemory() const {
  if (HeldCoefficientBytes() <= kDecodeMemoryBytes) return Status::Ok();
  return Status::Error("dekodowanie zajęłoby " + std::to_string(HeldCoefficientBytes() >> 20) +
                       " MB pamięci, więcej niż " + std::to_string(kDecodeMemoryBytes >> 20) +
                       " MB, które może zająć obrazek");
}

Status JpegReader::CheckScans() {
  if (Status fits = CheckMemory(); !fits) return fits;
  if (HeldCoefficientBytes() == 0) return Status::Ok();
  if (AbsorbScans(decoder_->info, decoder_->error)) return Status::Ok();
  return decoder_->Failure("obrazka nie da się zdekodować");
}

Status JpegReader::Start(int shrink) {
  if (Status fits = CheckMemory(); !fits) return fits;
  if (StartDecoding(decoder_->info, decoder_->error, shrink)) return Status::Ok();
  return decoder_->Failure("obrazka nie da się zdekodować");
}

int JpegReader::outputWidth() const {
  return static_cast<int>(decoder_->info.output_width);
}
int JpegReader::outputHeight() const {
  return static_cast<int>(decoder_->info.output_height);
}

Status JpegReader::ReadRow(std::uint8_t* row) {
  Decoder& d = *decoder_;
  if (!ReadOneRow(d.info, d.error, row) || d.source.ended)
    return d.Failure("obrazek ma mniej wierszy, niż deklaruje");
  return Status::Ok();
}

Status JpegReader::SkipRows(int rows) {
  Decoder& d = *decoder_;
  if (rows <= 0) return Status::Ok();
  if (!SkipSomeRows(d.info, d.error, rows) || d.source.ended)
    return d.Failure("obrazek ma mniej wierszy, niż deklaruje");
  return Status::Ok();
}

}  // namespace vendaro
