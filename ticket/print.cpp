#include "print.h"

std::string compress;
std::string nocompress;

void SetCompress(int printer_type)
{
    switch (printer_type) {
    case 1:
        compress = TI850_compress;
        nocompress = TI850_nocompress;
        break;
    case 2:
        compress = TI810_compress;
        nocompress = TI810_nocompress;
        break;
    case 3:
    case 7:
        compress = IBM_compress;
        nocompress = IBM_nocompress;
        break;
    case 4:
    case 8:
        compress = EPSON_compress;
        nocompress = EPSON_nocompress;
        break;
    case 5:
        compress = OKI182_compress;
        nocompress = OKI182_nocompress;
        break;
    case 6:
        compress = OKI192_compress;
        nocompress = OKI192_nocompress;
        break;
    case 9:
        compress = HP6P6MP_compress;
        nocompress = HP6P6MP_nocompress;
        break;
    default:
        compress.clear();
        nocompress.clear();
        break;
    }
}
