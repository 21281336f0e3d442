// Readable names for the cases of parametrised tests: GoogleTest takes only
// letters, digits and underscores, and otherwise prints a case as bytes.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace testing_support {

// An entry text as a name: letters and digits stay, signs, points and blanks
// become words, full-width forms "fw" and their ASCII twin, any other
// character U and its code point; the empty text is "empty".
inline std::string TextName(std::string_view text) {
    if (text.empty()) return "empty";
    std::string name;
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        // The code point of the UTF-8 sequence at i (a stray byte as itself).
        const int length = byte < 0x80 ? 1 : byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        char32_t code = length == 1 ? byte : byte & (0x3F >> (length - 1));
        for (int k = 1; k < length && i + k < text.size(); ++k) code = code << 6 | (text[i + k] & 0x3F);
        i += length;
        if (code >= 0xFF01 && code <= 0xFF5E) {  // full-width ASCII
            name += "fw";
            code -= 0xFEE0;
        }
        if ((code >= '0' && code <= '9') || (code >= 'a' && code <= 'z') || (code >= 'A' && code <= 'Z')) {
            name += static_cast<char>(code);
        } else {
            switch (code) {
            case '+': name += "plus"; break;
            case '-': name += "minus"; break;
            case '.': name += "point"; break;
            case ',': name += "comma"; break;
            case ' ': name += "sp"; break;
            case '\t': name += "tab"; break;
            case 0x3000: name += "ideosp"; break;
            default: {
                char hex[16];
                std::snprintf(hex, sizeof hex, "U%X", static_cast<unsigned>(code));
                name += hex;
            }
            }
        }
    }
    return name;
}

// A case's name led by its index, so that names stay unique.
inline std::string CaseName(std::size_t index, std::string_view name) {
    char number[8];
    std::snprintf(number, sizeof number, "%02zu_", index);
    return number + std::string(name);
}

}  // namespace testing_support
