// SPDX-License-Identifier: MIT
#pragma once
// Builds one JSON object, a field at a time, on a single line.
#include <cstdint>
#include <string>
#include <string_view>

namespace unlha {

class JsonObject {
public:
    void add(std::string_view key, std::string_view value);
    void add(std::string_view key, const char *value) { add(key, std::string_view(value)); }
    void add(std::string_view key, uint64_t value);
    void add(std::string_view key, int64_t value);
    void addNull(std::string_view key);
    // The object, "{...}".
    std::string text() const { return "{" + m_fields + "}"; }

private:
    void key(std::string_view name);
    std::string m_fields;
};

// value as a JSON string, quotes included. Bytes that are not UTF-8 become
// "%HH", as in names, so that the output stays valid JSON.
std::string jsonString(std::string_view value);

} // namespace unlha
