#pragma once
// Just enough JSON writing for the CLI: floats are written in their shortest form that reads
// back to the same 32-bit value.

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>

namespace quillon::json {

inline void Float(std::string& out, float v) {
    if (!std::isfinite(v)) {
        out += "null";  // JSON has no NaN or infinity
        return;
    }
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof(buf), v);
    out.append(buf, r.ptr);
}

inline void Int(std::string& out, long long v) {
    out += std::to_string(v);
}

// Text in show records is 8-bit: valid UTF-8 passes through, anything else is read as Latin-1.
inline void String(std::string& out, std::string_view bytes) {
    auto validUtf8 = [](std::string_view s) {
        size_t i = 0;
        while (i < s.size()) {
            const unsigned char c = static_cast<unsigned char>(s[i]);
            int extra = c < 0x80         ? 0
                        : (c >> 5) == 6  ? 1
                        : (c >> 4) == 14 ? 2
                        : (c >> 3) == 30 ? 3
                                         : -1;
            if (extra < 0 || i + size_t(extra) >= s.size()) return false;
            for (int k = 1; k <= extra; ++k)
                if ((static_cast<unsigned char>(s[i + size_t(k)]) >> 6) != 2) return false;
            i += size_t(extra) + 1;
        }
        return true;
    };
    std::string text;
    if (validUtf8(bytes)) {
        text = bytes;
    } else {
        for (unsigned char c : bytes) {
            if (c < 0x80) {
                text.push_back(static_cast<char>(c));
            } else {
                text.push_back(static_cast<char>(0xC0 | (c >> 6)));
                text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
            }
        }
    }
    out.push_back('"');
    for (unsigned char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof(buf), "\\u%04x", c);
                    out += buf;
                } else {
                    out.push_back(static_cast<char>(c));
                }
        }
    }
    out.push_back('"');
}

}  // namespace quillon::json
