#include "toolkit/utf8.h"

namespace kestro::utf8 {

namespace {
bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }
} // namespace

std::uint32_t decode(std::string_view text, std::size_t& pos)
{
    const auto lead = static_cast<unsigned char>(text[pos]);
    int length = 0;
    std::uint32_t value = 0;
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    if ((lead & 0xE0) == 0xC0)
        length = 2, value = lead & 0x1F;
    else if ((lead & 0xF0) == 0xE0)
        length = 3, value = lead & 0x0F;
    else if ((lead & 0xF8) == 0xF0)
        length = 4, value = lead & 0x07;
    else {
        ++pos;
        return kReplacement;
    }
    if (pos + static_cast<std::size_t>(length) > text.size()) {
        ++pos;
        return kReplacement;
    }
    for (int i = 1; i < length; ++i) {
        const auto c = static_cast<unsigned char>(text[pos + static_cast<std::size_t>(i)]);
        if (!isContinuation(c)) {
            ++pos;
            return kReplacement;
        }
        value = (value << 6) | (c & 0x3F);
    }
    // Overlong forms, surrogates and values past Unicode are not characters.
    static constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kSmallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ++pos;
        return kReplacement;
    }
    pos += static_cast<std::size_t>(length);
    return value;
}

void append(std::string& text, std::uint32_t c)
{
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        c = kReplacement;
    if (c < 0x80) {
        text.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        text.push_back(static_cast<char>(0xC0 | (c >> 6)));
        text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        text.push_back(static_cast<char>(0xE0 | (c >> 12)));
        text.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        text.push_back(static_cast<char>(0xF0 | (c >> 18)));
        text.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        text.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

std::size_t countCharacters(std::string_view text)
{
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); ++count)
        decode(text, pos);
    return count;
}

std::size_t next(std::string_view text, std::size_t pos)
{
    if (pos >= text.size())
        return text.size();
    decode(text, pos);
    return pos;
}

std::size_t previous(std::string_view text, std::size_t pos)
{
    if (pos == 0)
        return 0;
    // Step back over continuation bytes, at most three, to the character's lead byte;
    // then make sure decoding from there really ends at `pos`.
    std::size_t start = pos - 1;
    for (int i = 0; i < 3 && start > 0 && isContinuation(static_cast<unsigned char>(text[start])); ++i)
        --start;
    std::size_t probe = start;
    decode(text, probe);
    return probe == pos ? start : pos - 1;
}

} // namespace kestro::utf8
