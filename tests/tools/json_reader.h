// SPDX-License-Identifier: MIT
#pragma once
// Reads back the flat JSON objects unlha writes, one per line: strings,
// integers and null. Anything else, or a malformed line, throws.
#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>

namespace unlha::testing {

using JsonValue = std::variant<std::nullptr_t, std::string, int64_t>;
using JsonObject = std::map<std::string, JsonValue>;

class JsonLineReader {
public:
    explicit JsonLineReader(const std::string &line) : m_text(line) {}

    JsonObject object() {
        JsonObject out;
        expect('{');
        if (peek() == '}') {
            ++m_at;
        } else {
            for (;;) {
                std::string key = string();
                expect(':');
                if (!out.emplace(key, value()).second)
                    fail("key twice: " + key);
                if (peek() == '}') {
                    ++m_at;
                    break;
                }
                expect(',');
            }
        }
        if (m_at != m_text.size())
            fail("text after the object");
        return out;
    }

private:
    [[noreturn]] void fail(const std::string &why) const {
        throw std::runtime_error(why + " at " + std::to_string(m_at) + " in " + m_text);
    }
    char peek() const {
        if (m_at >= m_text.size())
            fail("unexpected end");
        return m_text[m_at];
    }
    void expect(char c) {
        if (peek() != c)
            fail(std::string("expected ") + c);
        ++m_at;
    }
    JsonValue value() {
        if (peek() == '"')
            return string();
        if (m_text.compare(m_at, 4, "null") == 0) {
            m_at += 4;
            return nullptr;
        }
        std::size_t used = 0;
        const int64_t number = std::stoll(m_text.substr(m_at), &used);
        if (used == 0)
            fail("not a value");
        m_at += used;
        return number;
    }
    std::string string() {
        expect('"');
        std::string out;
        for (char c; (c = peek()) != '"'; ++m_at) {
            if (static_cast<unsigned char>(c) < 0x20)
                fail("raw control character");
            if (c != '\\') {
                out += c;
                continue;
            }
            ++m_at;
            switch (peek()) {
            case '"':
            case '\\':
            case '/':
                out += peek();
                break;
            case 'u': {
                const unsigned code = std::stoul(m_text.substr(m_at + 1, 4), nullptr, 16);
                if (code >= 0x80)
                    fail("only ASCII escapes are expected");
                out += static_cast<char>(code);
                m_at += 4;
                break;
            }
            default:
                fail("unknown escape");
            }
        }
        ++m_at;
        return out;
    }

    std::string m_text;
    std::size_t m_at = 0;
};

} // namespace unlha::testing
