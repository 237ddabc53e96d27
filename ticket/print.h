#ifndef PRINT_H
#define PRINT_H

#include <string>

// Pitch codes of the supported ticket printers: the first of each pair
// switches to compressed pitch for the materials table, the second back.
// Literals are split after each escape so that a following hex digit
// ("7", "6") is not read into it.
inline constexpr char TI850_compress[] = "\x1b" "P";
inline constexpr char TI850_nocompress[] = "\x1b" "Q";
inline constexpr char TI810_compress[] = "\x1b" "7";
inline constexpr char TI810_nocompress[] = "\x1b" "6";
inline constexpr char IBM_compress[] = "\x0f";
inline constexpr char IBM_nocompress[] = "\x12";
inline constexpr char EPSON_compress[] = "\x0f";
inline constexpr char EPSON_nocompress[] = "\x12";
inline constexpr char OKI182_compress[] = "\x0f";
inline constexpr char OKI182_nocompress[] = "\x12";
inline constexpr char OKI192_compress[] = "\x1d";
inline constexpr char OKI192_nocompress[] = "\x1e";
inline constexpr char HP6P6MP_compress[] = "\x1b" "&k2S";
inline constexpr char HP6P6MP_nocompress[] = "\x1b" "&k0S";

// The codes the layout writes around the weights table; empty until
// SetCompress chooses a printer family. Held as std::string so a copy
// can never overrun a fixed buffer.
extern std::string compress;
extern std::string nocompress;

// Chooses the pitch codes for the printer type of "printers.f" (key
// "code"); any type outside 1 to 9 selects none.
void SetCompress(int printer_type);

#endif
