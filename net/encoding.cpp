#include "net/encoding.h"

#include "browse/text.h"

#include <cerrno>
#include <cstddef>
#include <iconv.h>

namespace lumikko {

namespace {

constexpr std::string_view replacement = "\xEF\xBF\xBD"; // U+FFFD

// Well-formed UTF-8, each bad stretch replaced by one U+FFFD.
std::string to_valid_utf8(std::string_view t) {
    std::string out;
    out.reserve(t.size());
    for (std::size_t i = 0; i < t.size();) {
        bool valid = false;
        const std::size_t n = utf8_unit(t, i, valid);
        if (valid)
            out.append(t.substr(i, n));
        else
            out.append(replacement);
        i += n;
    }
    return out;
}

int hex_value(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

class IconvHandle {
public:
    IconvHandle(const char* to, const char* from)
        : cd_(iconv_open(to, from)) {}
    ~IconvHandle() {
        if (ok())
            iconv_close(cd_);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much as it can. Returns 0 when all went through, otherwise the
    // error where it stopped (EILSEQ, EINVAL) with `in` left at the offending bytes.
    int convert(std::string_view& in, std::string& out) {
        char buffer[4096];
        char* src = const_cast<char*>(in.data()); // iconv's signature; it does not write
        std::size_t src_left = in.size();
        int error = 0;
        while (src_left > 0 && error == 0) {
            char* dst = buffer;
            std::size_t dst_left = sizeof buffer;
            const std::size_t r = iconv(cd_, &src, &src_left, &dst, &dst_left);
            if (r == static_cast<std::size_t>(-1) && errno != E2BIG)
                error = errno == EINVAL ? EINVAL : EILSEQ;
            out.append(buffer, static_cast<std::size_t>(dst - buffer));
        }
        in.remove_prefix(in.size() - src_left);
        return error;
    }

private:
    iconv_t cd_;
};

// One GBK character is a byte below 0x80, or a lead 81..FE with a trail
// 40..FE other than 7F.
std::size_t gbk_unit(std::string_view t) {
    const unsigned char lead = static_cast<unsigned char>(t[0]);
    if (lead >= 0x81 && lead <= 0xFE && t.size() >= 2) {
        const unsigned char trail = static_cast<unsigned char>(t[1]);
        if (trail >= 0x40 && trail <= 0xFE && trail != 0x7F)
            return 2;
    }
    return 1;
}

struct Composition {
    char32_t base;
    char32_t mark;
    char32_t composed;
};

// The accented Latin letters GBK holds (pinyin among them), so a decomposed
// letter still maps instead of turning into "?".
constexpr Composition compositions[] = {
    {U'a', 0x0304, 0x0101},   {U'a', 0x0301, 0x00E1},   {U'a', 0x030C, 0x01CE},
    {U'a', 0x0300, 0x00E0},   {U'e', 0x0304, 0x0113},   {U'e', 0x0301, 0x00E9},
    {U'e', 0x030C, 0x011B},   {U'e', 0x0300, 0x00E8},   {U'e', 0x0302, 0x00EA},
    {U'i', 0x0304, 0x012B},   {U'i', 0x0301, 0x00ED},   {U'i', 0x030C, 0x01D0},
    {U'i', 0x0300, 0x00EC},   {U'o', 0x0304, 0x014D},   {U'o', 0x0301, 0x00F3},
    {U'o', 0x030C, 0x01D2},   {U'o', 0x0300, 0x00F2},   {U'u', 0x0304, 0x016B},
    {U'u', 0x0301, 0x00FA},   {U'u', 0x030C, 0x01D4},   {U'u', 0x0300, 0x00F9},
    {U'u', 0x0308, 0x00FC},   {0x00FC, 0x0304, 0x01D6}, {0x00FC, 0x0301, 0x01D8},
    {0x00FC, 0x030C, 0x01DA}, {0x00FC, 0x0300, 0x01DC}, {U'n', 0x0301, 0x0144},
    {U'n', 0x030C, 0x0148},
};

char32_t decode(std::string_view t, std::size_t i, std::size_t n) {
    const unsigned char b0 = static_cast<unsigned char>(t[i]);
    if (n == 1)
        return b0;
    char32_t cp = b0 & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k)
        cp = (cp << 6) | (static_cast<unsigned char>(t[i + k]) & 0x3F);
    return cp;
}

void encode(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Folds a letter followed by a combining mark into the precomposed letter where
// the table has one; everything else, bad bytes included, passes unchanged.
std::string compose_letters(std::string_view t) {
    std::string out;
    out.reserve(t.size());
    bool have_letter = false;
    char32_t letter = 0;
    std::size_t letter_at = 0; // where the pending letter starts in `out`
    for (std::size_t i = 0; i < t.size();) {
        bool valid = false;
        const std::size_t n = utf8_unit(t, i, valid);
        if (valid) {
            const char32_t cp = decode(t, i, n);
            if (have_letter) {
                const Composition* hit = nullptr;
                for (const Composition& c : compositions)
                    if (c.base == letter && c.mark == cp)
                        hit = &c;
                if (hit) {
                    out.resize(letter_at);
                    encode(hit->composed, out);
                    letter = hit->composed;
                    i += n;
                    continue;
                }
            }
            have_letter = true;
            letter = cp;
            letter_at = out.size();
        } else {
            have_letter = false;
        }
        out.append(t.substr(i, n));
        i += n;
    }
    return out;
}

} // namespace

bool is_valid_utf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        bool valid = false;
        i += utf8_unit(bytes, i, valid);
        if (!valid)
            return false;
    }
    return true;
}

std::string url_encode_utf8(std::string_view text) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 3);
    for (const char c : text) {
        const unsigned char b = static_cast<unsigned char>(c);
        out += '%';
        out += digits[b >> 4];
        out += digits[b & 0x0F];
    }
    return out;
}

std::string url_decode_utf8(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%' && text.size() - i > 2) {
            const int hi = hex_value(text[i + 1]);
            const int lo = hex_value(text[i + 2]);
            if (hi >= 0 && lo >= 0) {
                c = static_cast<char>(hi * 16 + lo);
                i += 2;
            }
        }
        // The result is a Text, which cannot hold a zero byte.
        if (c != '\0')
            bytes += c;
    }
    return to_valid_utf8(bytes);
}

std::string gbk_to_utf8(std::string_view bytes) {
    if (is_valid_utf8(bytes))
        return std::string(bytes);
    IconvHandle cd("UTF-8", "GBK");
    if (!cd.ok())
        return to_valid_utf8(bytes);
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    std::string_view rest = bytes;
    for (int error; (error = cd.convert(rest, out)) != 0 && !rest.empty();) {
        // An incomplete character at the end, or one GBK does not define:
        // mark it and go on with the next.
        out.append(replacement);
        rest.remove_prefix(error == EINVAL ? rest.size() : gbk_unit(rest));
    }
    return out;
}

std::string utf8_to_gbk(std::string_view text) {
    IconvHandle cd("GBK", "UTF-8");
    const std::string composed = compose_letters(text);
    std::string out;
    out.reserve(composed.size());
    if (!cd.ok())
        return out;
    std::string_view rest = composed;
    for (int error; (error = cd.convert(rest, out)) != 0 && !rest.empty();) {
        out += '?';
        bool valid = false;
        rest.remove_prefix(error == EINVAL ? rest.size() : utf8_unit(rest, 0, valid));
    }
    return out;
}

} // namespace lumikko
