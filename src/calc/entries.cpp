#include "entries.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <system_error>

#include "rhythm.h"

namespace calc {

void EntryRecord::Commit(int slot, std::string text) {
    if (slot < 1 || slot > kSlots) throw std::out_of_range("EntryRecord slot");
    slots_[slot - 1] = std::move(text);
}

const std::optional<std::string>& EntryRecord::Slot(int slot) const {
    if (slot < 1 || slot > kSlots) throw std::out_of_range("EntryRecord slot");
    return slots_[slot - 1];
}

namespace {

// Rewrites the full-width forms that a Japanese input method produces, and
// the ideographic space, into ASCII. Returns nullopt for any character that
// cannot be part of a number.
std::optional<std::string> NormaliseNumberText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        // Full-width forms U+FF0B (＋), U+FF0D (－), U+FF0E (．), U+FF10..U+FF19
        // (０..９) are EF BC 8B / 8D / 8E / 90..99 in UTF-8; U+3000 is E3 80 80.
        if (text.size() - i >= 3 && c == 0xEF && static_cast<unsigned char>(text[i + 1]) == 0xBC) {
            const auto d = static_cast<unsigned char>(text[i + 2]);
            if (d >= 0x90 && d <= 0x99) out.push_back(static_cast<char>('0' + (d - 0x90)));
            else if (d == 0x8B) out.push_back('+');
            else if (d == 0x8D) out.push_back('-');
            else if (d == 0x8E) out.push_back('.');
            else return std::nullopt;
            i += 3;
            continue;
        }
        if (text.substr(i, 3) == "\xE3\x80\x80") {
            out.push_back(' ');
            i += 3;
            continue;
        }
        return std::nullopt;
    }
    return out;
}

// The text without the blanks around it.
std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<double> ParseNumberText(std::string_view text) {
    // Plain ASCII text, the common case, is read where it stands; only text
    // with full-width forms or ideographic spaces is rewritten first.
    std::optional<std::string> normalised;
    const bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii) {
        normalised = NormaliseNumberText(text);
        if (!normalised) return std::nullopt;
    }
    std::string_view s = Trimmed(normalised ? std::string_view(*normalised) : text);
    if (s.empty()) return std::nullopt;

    bool negative = false;
    if (s.front() == '+' || s.front() == '-') {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    // digits [ '.' digits ] with at least one digit in all.
    std::size_t digits = 0;
    std::size_t points = 0;
    for (char c : s) {
        if (IsDigit(c)) ++digits;
        else if (c == '.') ++points;
        else return std::nullopt;
    }
    if (digits == 0 || points > 1) return std::nullopt;

    double value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value,
                                           std::chars_format::fixed);
    if (ec == std::errc::result_out_of_range) {
        // Too small for a double (0.000…01) is as good as zero; too large is
        // not a number the calculation can use.
        const std::string_view whole = s.substr(0, s.find('.'));
        if (whole.find_first_not_of('0') != std::string_view::npos) return std::nullopt;
        value = 0;
    } else if (ec != std::errc{} || end != s.data() + s.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

NumericEntries ApplyEraOffsets(const EntryRecord& record, EraOffset birthEraOffset,
                               EraOffset targetEraOffset) {
    NumericEntries entries;
    for (int slot = 1; slot <= EntryRecord::kSlots; ++slot) {
        const auto& committed = record.Slot(slot);
        entries.value[slot - 1] = committed ? ParseNumberText(*committed) : std::optional<double>(0.0);
    }
    const auto add = [&entries](int slot, EraOffset offset) {
        auto& v = entries.value[slot - 1];
        if (offset && v) *v += *offset;
    };
    add(1, birthEraOffset);
    add(5, targetEraOffset);
    return entries;
}

bool ValidateEntries(const NumericEntries& entries) {
    for (const auto& v : entries.value) {
        if (!v || !std::isfinite(*v)) return false;
    }
    const NumericEntries& e = entries;
    // All nine checks are evaluated, in this order; any one failing fails.
    const bool failures[] = {
        e[5] < 1876,  // target year
        e[1] < 1876,  // birth year
        e[3] > 31,    // birth day
        e[4] > 24,    // birth time
        e[6] <= 0,    // target month
        e[2] > 12,    // birth month
        e[2] <= 0,    // birth month
        e[4] < 0,     // birth time
        e[6] > 12,    // target month
    };
    return std::none_of(std::begin(failures), std::end(failures), [](bool failed) { return failed; }) &&
           CalculationStaysFinite(entries);
}

std::string NumberText(double value) {
    if (value == 0) value = 0;  // no "-0"
    // Shortest round-trip form in fixed notation; the largest double has 309
    // integer digits.
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::fixed);
    std::string text(buffer, result.ptr);
    return value >= 0 ? " " + text : text;
}

}  // namespace calc
