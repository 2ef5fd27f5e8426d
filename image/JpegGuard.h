/* The libjpeg calls that can fail, each behind its own setjmp point so that a
   libjpeg error returns here as a code instead of unwinding through C frames. */
#ifndef BATCHFIT_JPEG_GUARD_H
#define BATCHFIT_JPEG_GUARD_H

#include <setjmp.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

/* jpeglib.h needs size_t and FILE declared first. */
#include <jpeglib.h>

#ifdef __cplusplus
extern "C" {
#endif

/* libjpeg's error manager with the jump back to the guarded call. Warnings are
   silent; an error's message code is left in pub.msg_code. */
struct bf_jpeg_errors {
  struct jpeg_error_mgr pub;
  jmp_buf jump;
};

/* A growing output buffer from malloc; the caller frees data. */
struct bf_memory_dest {
  struct jpeg_destination_mgr pub;
  unsigned char* data;
  size_t capacity;
  size_t size;
};

/* The output colour space whose pixels read as 0xFFBBGGRR on this machine. */
extern const J_COLOR_SPACE bf_pixel_color_space;

/* Every function below returns 0 on success and 1 after a libjpeg error. */

/* Creates the decompressor, without a memory cap of libjpeg's own: the caller
   counts what the picture takes against its limit before decoding starts. */
int bf_create_decompress(struct bf_jpeg_errors* errors, j_decompress_ptr cinfo);
struct bf_header_result {
  int multiple_scans; /* the file is progressive */
  int ran_out;        /* failed only for want of bytes beyond those given */
};

/* Points the decompressor at the bytes and reads the header (an image is
   required). complete says the bytes are the whole file: only then does
   running out of them end the file (and empty bytes fail at once). */
int bf_read_header(j_decompress_ptr cinfo, const unsigned char* data, size_t size, int complete,
                   struct bf_header_result* result);
int bf_start_decompress(j_decompress_ptr cinfo);
/* Read the output rows up to (not including) row until, top down, into 32-bit
   pixels 0x00BBGGRR at pixels + row * stride (stride in pixels; 0 reads every
   row into the same place), for the output colour spaces bf_pixel_color_space,
   quantized gray and CMYK. */
int bf_read_rgbx_rows(j_decompress_ptr cinfo, uint32_t* pixels, size_t stride, JDIMENSION until);
int bf_read_gray_rows(j_decompress_ptr cinfo, uint32_t* pixels, size_t stride, JDIMENSION until);
int bf_read_cmyk_rows(j_decompress_ptr cinfo, uint32_t* pixels, size_t stride, JDIMENSION until);
/* Passes over count output rows without handing them out (jpeg_skip_scanlines);
   the rows read after them are those a full read gives, for photos without
   colour quantization. */
int bf_skip_rows(j_decompress_ptr cinfo, JDIMENSION count);
int bf_finish_decompress(j_decompress_ptr cinfo);

int bf_create_compress(struct bf_jpeg_errors* errors, j_compress_ptr cinfo);
/* Encodes width x height pixels 0x00BBGGRR as a three-component JFIF into dest. */
int bf_compress_pixels(j_compress_ptr cinfo, struct bf_memory_dest* dest, const uint32_t* pixels,
                       int width, int height, int quality, int progressive);

#ifdef __cplusplus
}
#endif

#endif
