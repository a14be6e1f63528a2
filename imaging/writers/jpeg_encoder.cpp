#include "imaging/writers/jpeg_encoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <string>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "imaging/writers/page_rows.h"

namespace ostrel::writers {

namespace {

constexpr std::size_t kOutputChunk = 256 * 1024;

// libjpeg reports errors through a callback that must not return; we jump back
// to the encoder with the library's message. Only C frames lie between.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void onError(j_common_ptr cinfo) {
  auto* errors = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, errors->message);
  std::longjmp(errors->jump, 1);
}

void onMessage(j_common_ptr, int) {}  // warnings are not errors; stay quiet

// Destination appending to a byte vector in chunks.
struct VectorDestination {
  jpeg_destination_mgr base;
  std::vector<std::uint8_t>* out;
};

void initDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<VectorDestination*>(cinfo->dest);
  dest->out->resize(std::max(dest->out->capacity(), kOutputChunk));
  dest->base.next_output_byte = dest->out->data();
  dest->base.free_in_buffer = dest->out->size();
}

boolean emptyBuffer(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<VectorDestination*>(cinfo->dest);
  // Called only when the buffer is full, whatever free_in_buffer says.
  const std::size_t used = dest->out->size();
  dest->out->resize(used * 2);
  dest->base.next_output_byte = dest->out->data() + used;
  dest->base.free_in_buffer = dest->out->size() - used;
  return TRUE;
}

void termDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<VectorDestination*>(cinfo->dest);
  dest->out->resize(dest->out->size() - dest->base.free_in_buffer);
}

// Kept apart from anything with a destructor, since a library error longjmps here.
bool compress(jpeg_compress_struct& cinfo, ErrorManager& errors, RowReader& rows, int height,
              std::vector<JSAMPROW>& rowPointers) {
  if (setjmp(errors.jump)) return false;
  jpeg_start_compress(&cinfo, TRUE);
  if (rows.direct()) {
    for (int y = 0; y < height; ++y) rowPointers[static_cast<std::size_t>(y)] = const_cast<JSAMPROW>(rows.row(y));
    while (cinfo.next_scanline < cinfo.image_height) {
      jpeg_write_scanlines(&cinfo, rowPointers.data() + cinfo.next_scanline,
                           cinfo.image_height - cinfo.next_scanline);
    }
  } else {
    while (cinfo.next_scanline < cinfo.image_height) {
      JSAMPROW row = const_cast<JSAMPROW>(rows.row(static_cast<int>(cinfo.next_scanline)));
      jpeg_write_scanlines(&cinfo, &row, 1);
    }
  }
  jpeg_finish_compress(&cinfo);
  return true;
}

bool configure(jpeg_compress_struct& cinfo, ErrorManager& errors, const Dib& page, bool grey,
               int quality) {
  if (setjmp(errors.jump)) return false;
  cinfo.image_width = static_cast<JDIMENSION>(page.width());
  cinfo.image_height = static_cast<JDIMENSION>(page.height());
  cinfo.input_components = grey ? 1 : 3;
  cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  const int xDpi = page.xDpi();
  const int yDpi = page.yDpi();
  if (xDpi > 0 && yDpi > 0 && xDpi <= 65535 && yDpi <= 65535) {
    cinfo.density_unit = 1;  // dots per inch
    cinfo.X_density = static_cast<UINT16>(xDpi);
    cinfo.Y_density = static_cast<UINT16>(yDpi);
  }
  return true;
}

}  // namespace

WriteResult encodeJpeg(const Dib& page, int quality, std::vector<std::uint8_t>& out) {
  const PageKind kind = pageKind(page);
  if (kind == PageKind::bilevel) return WriteResult::failure("a 1-bit page cannot be encoded as JPEG");
  const bool grey = kind == PageKind::grey;
  RowReader rows(page, grey ? RowLayout::grey : RowLayout::bgr);
  std::vector<JSAMPROW> rowPointers(rows.direct() ? static_cast<std::size_t>(page.height()) : 0);

  jpeg_compress_struct cinfo{};
  ErrorManager errors{};
  cinfo.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = onError;
  errors.base.emit_message = onMessage;
  jpeg_create_compress(&cinfo);
  VectorDestination destination{};
  destination.base.init_destination = initDestination;
  destination.base.empty_output_buffer = emptyBuffer;
  destination.base.term_destination = termDestination;
  destination.out = &out;
  cinfo.dest = &destination.base;

  const bool done = configure(cinfo, errors, page, grey, std::clamp(quality, 1, 100)) &&
                    compress(cinfo, errors, rows, page.height(), rowPointers);
  jpeg_destroy_compress(&cinfo);
  if (!done) {
    out.clear();
    return WriteResult::failure(std::string("JPEG encoding failed: ") + errors.message);
  }
  return WriteResult::success();
}

}  // namespace ostrel::writers
