/* Reading a JPEG's DCT coefficients with libjpeg, each call behind its own
   setjmp point as in JpegGuard.h, and with libjpeg's warnings counted. */
#ifndef BATCHFIT_COEFFICIENT_GUARD_H
#define BATCHFIT_COEFFICIENT_GUARD_H

#include "image/JpegGuard.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Makes the error manager count warnings in pub.num_warnings; they stay
   silent. Call after bf_create_decompress. */
void bf_count_warnings(struct bf_jpeg_errors* errors);

/* Both return 0 on success and 1 after a libjpeg error. */

/* Reads every scan to the end of the image (jpeg_read_coefficients); arrays
   then holds one block array per component, alive until the decompressor is
   destroyed. */
int bf_read_coefficients(j_decompress_ptr cinfo, jvirt_barray_ptr** arrays);
/* Points rows[0] to rows[count - 1] at the first count block rows of an
   array that bf_read_coefficients gave, for reading. */
int bf_block_rows(j_decompress_ptr cinfo, jvirt_barray_ptr array, JDIMENSION count,
                  JBLOCKROW* rows);

#ifdef __cplusplus
}
#endif

#endif
