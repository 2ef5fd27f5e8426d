#include "image/JpegGuard.h"

#include <jerror.h>
#include <stdlib.h>

/* ---- errors ---- */

static void bf_error_exit(j_common_ptr cinfo) {
  struct bf_jpeg_errors* errors = (struct bf_jpeg_errors*)cinfo->err;
  longjmp(errors->jump, 1);
}

static void bf_emit_message(j_common_ptr cinfo, int level) {
  (void)cinfo;
  (void)level;
}

static void bf_output_message(j_common_ptr cinfo) {
  (void)cinfo;
}

static void bf_init_errors(struct bf_jpeg_errors* errors) {
  jpeg_std_error(&errors->pub);
  errors->pub.error_exit = bf_error_exit;
  errors->pub.emit_message = bf_emit_message;
  errors->pub.output_message = bf_output_message;
}

#define BF_GUARD(cinfo) \
  if (setjmp(((struct bf_jpeg_errors*)(cinfo)->err)->jump) != 0) return 1

/* ---- the source over bytes in memory ---- */

/* The bytes given are the whole file (complete) or only its beginning; in the
   latter case running out stops the read, marking ran_out, so the caller can
   read more of the file and start again. */
struct bf_memory_source {
  struct jpeg_source_mgr pub;
  int complete;
  int ran_out;
};

static const JOCTET bf_end_of_image[2] = {0xFF, JPEG_EOI};

static void bf_init_source(j_decompress_ptr cinfo) {
  (void)cinfo;
}

/* Only called when the bytes have run out: a file cut short ends as if its
   end-of-image marker were there, after the premature-end warning. */
static boolean bf_fill_input_buffer(j_decompress_ptr cinfo) {
  struct bf_memory_source* src = (struct bf_memory_source*)cinfo->src;
  if (!src->complete) {
    src->ran_out = 1;
    ERREXIT(cinfo, JERR_INPUT_EOF);
  }
  WARNMS(cinfo, JWRN_JPEG_EOF);
  src->pub.next_input_byte = bf_end_of_image;
  src->pub.bytes_in_buffer = sizeof bf_end_of_image;
  return TRUE;
}

static void bf_skip_input_data(j_decompress_ptr cinfo, long count) {
  struct jpeg_source_mgr* src = cinfo->src;
  if (count <= 0) return;
  if ((size_t)count > src->bytes_in_buffer) {
    bf_fill_input_buffer(cinfo);
    return;
  }
  src->next_input_byte += count;
  src->bytes_in_buffer -= (size_t)count;
}

static void bf_term_source(j_decompress_ptr cinfo) {
  (void)cinfo;
}

static void bf_set_source(j_decompress_ptr cinfo, const unsigned char* data, size_t size,
                          int complete) {
  struct bf_memory_source* src;
  if (size == 0 && complete) ERREXIT(cinfo, JERR_INPUT_EMPTY);
  src = (struct bf_memory_source*)(*cinfo->mem->alloc_small)((j_common_ptr)cinfo, JPOOL_PERMANENT,
                                                             sizeof(struct bf_memory_source));
  src->pub.init_source = bf_init_source;
  src->pub.fill_input_buffer = bf_fill_input_buffer;
  src->pub.skip_input_data = bf_skip_input_data;
  src->pub.resync_to_restart = jpeg_resync_to_restart;
  src->pub.term_source = bf_term_source;
  src->pub.next_input_byte = data;
  src->pub.bytes_in_buffer = size;
  src->complete = complete;
  src->ran_out = 0;
  cinfo->src = &src->pub;
}

/* ---- decompression ---- */

int bf_create_decompress(struct bf_jpeg_errors* errors, j_decompress_ptr cinfo) {
  bf_init_errors(errors);
  cinfo->err = &errors->pub;
  BF_GUARD(cinfo);
  jpeg_create_decompress(cinfo);
  /* libjpeg's cap only bounds its coefficient buffer, counting its smaller
     buffers too, so it would refuse pictures that the caller's count lets
     through; 0 is no cap, whatever the environment's JPEGMEM says. */
  cinfo->mem->max_memory_to_use = 0;
  return 0;
}

int bf_read_header(j_decompress_ptr cinfo, const unsigned char* data, size_t size, int complete,
                   struct bf_header_result* result) {
  result->multiple_scans = 0;
  result->ran_out = 0;
  if (setjmp(((struct bf_jpeg_errors*)cinfo->err)->jump) != 0) {
    const struct bf_memory_source* src = (const struct bf_memory_source*)cinfo->src;
    result->ran_out = src != NULL && src->ran_out;
    return 1;
  }
  bf_set_source(cinfo, data, size, complete);
  jpeg_read_header(cinfo, TRUE);
  result->multiple_scans = jpeg_has_multiple_scans(cinfo) ? 1 : 0;
  return 0;
}

int bf_start_decompress(j_decompress_ptr cinfo) {
  BF_GUARD(cinfo);
  jpeg_start_decompress(cinfo);
  return 0;
}

static void bf_read_row(j_decompress_ptr cinfo, uint32_t* row) {
  JSAMPROW rows[1];
  rows[0] = (JSAMPROW)row;
  jpeg_read_scanlines(cinfo, rows, 1);
}

const J_COLOR_SPACE bf_pixel_color_space =
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    JCS_EXT_XBGR;
#else
    JCS_EXT_RGBX;
#endif

int bf_read_rgbx_rows(j_decompress_ptr cinfo, uint32_t* pixels, size_t stride, JDIMENSION until) {
  BF_GUARD(cinfo);
  while (cinfo->output_scanline < until && cinfo->output_scanline < cinfo->output_height) {
    uint32_t* row = pixels + (size_t)cinfo->output_scanline * stride;
    /* A local width: the row's words could otherwise alias the field, which
       keeps the loop from being vectorized. */
    const size_t width = cinfo->output_width;
    size_t x;
    bf_read_row(cinfo, row);
    for (x = 0; x < width; ++x) row[x] &= 0x00FFFFFFu; /* the filler byte is 0xFF */
  }
  return 0;
}

/* The quantizer's colour indices land in the row's first bytes; they are
   widened from the right end, where no index is still unread. */
int bf_read_gray_rows(j_decompress_ptr cinfo, uint32_t* pixels, size_t stride, JDIMENSION until) {
  BF_GUARD(cinfo);
  while (cinfo->output_scanline < until && cinfo->output_scanline < cinfo->output_height) {
    uint32_t* row = pixels + (size_t)cinfo->output_scanline * stride;
    const JSAMPLE* indices = (const JSAMPLE*)row;
    const JSAMPLE* levels = cinfo->colormap[0];
    JDIMENSION x;
    bf_read_row(cinfo, row);
    for (x = cinfo->output_width; x-- > 0;) row[x] = (uint32_t)levels[indices[x]] * 0x010101u;
  }
  return 0;
}

static uint32_t bf_ink_to_light(unsigned ink, unsigned black) {
  return (ink * black + 127) / 255;
}

/* Adobe files (all that Photoshop writes, and every YCCK file) hold inverted
   CMYK: 255 means no ink. Others hold plain CMYK, 255 meaning full ink. */
int bf_read_cmyk_rows(j_decompress_ptr cinfo, uint32_t* pixels, size_t stride, JDIMENSION until) {
  BF_GUARD(cinfo);
  while (cinfo->output_scanline < until && cinfo->output_scanline < cinfo->output_height) {
    uint32_t* row = pixels + (size_t)cinfo->output_scanline * stride;
    const JSAMPLE* cmyk = (const JSAMPLE*)row;
    const unsigned flip = cinfo->saw_Adobe_marker ? 0 : 255;
    JDIMENSION x;
    bf_read_row(cinfo, row);
    for (x = 0; x < cinfo->output_width; ++x, cmyk += 4) {
      const unsigned k = cmyk[3] ^ flip;
      const uint32_t r = bf_ink_to_light(cmyk[0] ^ flip, k);
      const uint32_t g = bf_ink_to_light(cmyk[1] ^ flip, k);
      const uint32_t b = bf_ink_to_light(cmyk[2] ^ flip, k);
      row[x] = r | (g << 8) | (b << 16);
    }
  }
  return 0;
}

int bf_skip_rows(j_decompress_ptr cinfo, JDIMENSION count) {
  BF_GUARD(cinfo);
  jpeg_skip_scanlines(cinfo, count);
  return 0;
}

int bf_finish_decompress(j_decompress_ptr cinfo) {
  BF_GUARD(cinfo);
  jpeg_finish_decompress(cinfo);
  return 0;
}

/* ---- the destination in memory ---- */

static void bf_init_destination(j_compress_ptr cinfo) {
  struct bf_memory_dest* dest = (struct bf_memory_dest*)cinfo->dest;
  if (dest->data == NULL) {
    dest->capacity = 65536;
    dest->data = (unsigned char*)malloc(dest->capacity);
    if (dest->data == NULL) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
  }
  dest->pub.next_output_byte = dest->data;
  dest->pub.free_in_buffer = dest->capacity;
}

static boolean bf_empty_output_buffer(j_compress_ptr cinfo) {
  struct bf_memory_dest* dest = (struct bf_memory_dest*)cinfo->dest;
  const size_t used = dest->capacity;
  unsigned char* grown = (unsigned char*)realloc(dest->data, 2 * used);
  if (grown == NULL) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
  dest->data = grown;
  dest->capacity = 2 * used;
  dest->pub.next_output_byte = grown + used;
  dest->pub.free_in_buffer = dest->capacity - used;
  return TRUE;
}

static void bf_term_destination(j_compress_ptr cinfo) {
  struct bf_memory_dest* dest = (struct bf_memory_dest*)cinfo->dest;
  dest->size = dest->capacity - dest->pub.free_in_buffer;
}

/* ---- compression ---- */

int bf_create_compress(struct bf_jpeg_errors* errors, j_compress_ptr cinfo) {
  bf_init_errors(errors);
  cinfo->err = &errors->pub;
  BF_GUARD(cinfo);
  jpeg_create_compress(cinfo);
  return 0;
}

static void bf_set_parameters(j_compress_ptr cinfo, int width, int height, int quality,
                              int progressive) {
  cinfo->image_width = (JDIMENSION)width;
  cinfo->image_height = (JDIMENSION)height;
  cinfo->input_components = 3;
  cinfo->in_color_space = JCS_RGB;
  jpeg_set_defaults(cinfo);
  cinfo->dct_method = JDCT_FLOAT;
  jpeg_set_quality(cinfo, quality, TRUE);
  if (progressive) jpeg_simple_progression(cinfo);
}

static void bf_to_rgb(const uint32_t* pixels, int width, JSAMPLE* rgb) {
  int x;
  for (x = 0; x < width; ++x, rgb += 3) {
    rgb[0] = (JSAMPLE)(pixels[x] & 0xFF);
    rgb[1] = (JSAMPLE)((pixels[x] >> 8) & 0xFF);
    rgb[2] = (JSAMPLE)((pixels[x] >> 16) & 0xFF);
  }
}

int bf_compress_pixels(j_compress_ptr cinfo, struct bf_memory_dest* dest, const uint32_t* pixels,
                       int width, int height, int quality, int progressive) {
  JSAMPROW rows[1];
  BF_GUARD(cinfo);
  dest->pub.init_destination = bf_init_destination;
  dest->pub.empty_output_buffer = bf_empty_output_buffer;
  dest->pub.term_destination = bf_term_destination;
  cinfo->dest = &dest->pub;
  bf_set_parameters(cinfo, width, height, quality, progressive);
  jpeg_start_compress(cinfo, TRUE);
  rows[0] =
      (JSAMPROW)(*cinfo->mem->alloc_small)((j_common_ptr)cinfo, JPOOL_IMAGE, (size_t)width * 3);
  while (cinfo->next_scanline < cinfo->image_height) {
    bf_to_rgb(pixels + (size_t)cinfo->next_scanline * (size_t)width, width, rows[0]);
    jpeg_write_scanlines(cinfo, rows, 1);
  }
  jpeg_finish_compress(cinfo);
  return 0;
}
