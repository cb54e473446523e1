// The text a calibration certificate gives an expanded uncertainty in.
#pragma once

#include <string>

namespace kestrane {

// An expanded uncertainty as a certificate states it: two significant digits,
// rounded up (away from zero), so that the uncertainty stated is never less
// than the one computed. The rounding is done on the double's exact decimal
// expansion: 0.0612 gives "0.062", 0.06 (whose double lies just below) "0.060",
// 0.0995 "0.10", 9.91 "10", 0 "0". Digits past the twelfth significant one
// are the arithmetic's rounding and do not round it up: 0.1, whose double is
// 0.1000000000000000055..., gives "0.10". Values that are not finite give
// "inf", "-inf" or "nan".
struct CertificateText {
    std::string text;
    int decimals = 0;  // digits after the point in text: write the result with as many to match
};
CertificateText certificate_text(double expanded_uncertainty);

// The same text, always from the whole exact expansion (1074 digits), which
// certificate_text reads only near a rounding boundary: the reference that
// checks its shortcut.
CertificateText certificate_text_from_whole_expansion(double expanded_uncertainty);

}  // namespace kestrane
