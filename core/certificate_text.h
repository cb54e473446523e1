// The text a calibration certificate gives an expanded uncertainty in.
#pragma once

#include <string>
#include <string_view>

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

// A value rounded to the last significant digit of its expanded
// uncertainty's text (GUM 7.2.6), so that the two state the same places:
// 20.644858 with "0.0020" gives "20.6449", with "0.29" "20.64", with "29"
// "21". The text's second significant digit is its last: "290" and "100"
// end in the tens, and the value is rounded to tens ("20"). A text with fewer
// significant digits ("0") rounds at its last digit. The rounding is that of
// format_value on the double's exact expansion (a tie away from zero, the
// sign of a negative value that rounds to zero kept: "-0.0"); '.' is the
// decimal mark. A value that is not finite gives "inf", "-inf" or "nan".
std::string value_to_uncertainty_text(double value, std::string_view expanded_text);

}  // namespace kestrane
