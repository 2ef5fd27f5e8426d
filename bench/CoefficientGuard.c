#include "bench/CoefficientGuard.h"

static void bf_counting_emit_message(j_common_ptr cinfo, int level) {
  if (level < 0) cinfo->err->num_warnings++;
}

void bf_count_warnings(struct bf_jpeg_errors* errors) {
  errors->pub.emit_message = bf_counting_emit_message;
  errors->pub.num_warnings = 0;
}

int bf_read_coefficients(j_decompress_ptr cinfo, jvirt_barray_ptr** arrays) {
  if (setjmp(((struct bf_jpeg_errors*)cinfo->err)->jump) != 0) return 1;
  *arrays = jpeg_read_coefficients(cinfo);
  return 0;
}

int bf_block_rows(j_decompress_ptr cinfo, jvirt_barray_ptr array, JDIMENSION count,
                  JBLOCKROW* rows) {
  JDIMENSION row;
  if (setjmp(((struct bf_jpeg_errors*)cinfo->err)->jump) != 0) return 1;
  /* One row at a time: an access may span no more rows than the array was
     made for. Every row is in memory, so the pointers stay valid. */
  for (row = 0; row < count; ++row) {
    rows[row] = (*cinfo->mem->access_virt_barray)((j_common_ptr)cinfo, array, row, 1, FALSE)[0];
  }
  return 0;
}
