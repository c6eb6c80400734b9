// SPDX-License-Identifier: MIT
#include "overwrite_prompt.h"

#include <cctype>
#include <optional>

namespace unlha {
namespace {

std::optional<lha::OverwriteDecision> readAnswer(const std::string &line) {
    std::size_t i = 0;
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i])))
        ++i;
    if (i == line.size())
        return std::nullopt;
    switch (std::tolower(static_cast<unsigned char>(line[i]))) {
    case 'y':
        return lha::OverwriteDecision::Replace;
    case 'n':
        return lha::OverwriteDecision::Skip;
    case 'a':
        return lha::OverwriteDecision::ReplaceAll;
    case 's':
        return lha::OverwriteDecision::SkipAll;
    case 'q':
        return lha::OverwriteDecision::Cancel;
    }
    return std::nullopt;
}

bool readLine(std::FILE *in, std::string &line) {
    line.clear();
    int c;
    while ((c = std::fgetc(in)) != EOF && c != '\n')
        line += static_cast<char>(c);
    return c != EOF || !line.empty();
}

} // namespace

OverwritePrompt::OverwritePrompt(std::FILE *in, std::FILE *out) : m_in(in), m_out(out) {}

lha::OverwriteDecision OverwritePrompt::ask(const std::string &name) {
    std::string line;
    for (;;) {
        std::fprintf(m_out, "unlha: %s exists. Replace it? [y]es [n]o [a]ll [s]kip all [q]uit: ",
                     lha::printable(name).c_str());
        std::fflush(m_out);
        if (!readLine(m_in, line)) {
            std::fputc('\n', m_out);
            return lha::OverwriteDecision::Cancel;
        }
        if (const auto decision = readAnswer(line)) {
            m_answered = true;
            return *decision;
        }
    }
}

} // namespace unlha
