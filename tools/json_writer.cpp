// SPDX-License-Identifier: MIT
#include "json_writer.h"

#include <cstdio>

namespace unlha {
namespace {

// The length of the UTF-8 sequence at text[i], or 0 when it is not one.
std::size_t utf8Length(std::string_view text, std::size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    if (length == 0 || i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
            return 0;
    // No overlong forms, no surrogates, nothing past U+10FFFF.
    const auto second = static_cast<unsigned char>(text[i + 1]);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90))
        return 0;
    return length;
}

} // namespace

std::string jsonString(std::string_view value) {
    std::string out = "\"";
    for (std::size_t i = 0; i < value.size();) {
        const auto c = static_cast<unsigned char>(value[i]);
        char escape[8];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else if (c >= 0x80) {
            const std::size_t length = utf8Length(value, i);
            if (length == 0) {
                std::snprintf(escape, sizeof escape, "%%%02X", c);
                out += escape;
                ++i;
                continue;
            }
            out.append(value.substr(i, length));
            i += length;
            continue;
        } else {
            out += static_cast<char>(c);
        }
        ++i;
    }
    return out + "\"";
}

void JsonObject::key(std::string_view name) {
    if (!m_fields.empty())
        m_fields += ',';
    m_fields += jsonString(name) + ':';
}

void JsonObject::add(std::string_view name, std::string_view value) {
    key(name);
    m_fields += jsonString(value);
}

void JsonObject::add(std::string_view name, uint64_t value) {
    key(name);
    m_fields += std::to_string(value);
}

void JsonObject::add(std::string_view name, int64_t value) {
    key(name);
    m_fields += std::to_string(value);
}

void JsonObject::addNull(std::string_view name) {
    key(name);
    m_fields += "null";
}

} // namespace unlha
