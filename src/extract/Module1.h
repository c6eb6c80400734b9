// SPDX-License-Identifier: MIT
#pragma once
// Module1: the program's binding to the archive library. Every entry the
// program declares has a record; an entry is looked up in the library on its
// own first call and its address kept for later calls. The library is loaded
// by name through the ordinary search and never unloaded.
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

namespace Module1 {

struct Declaration {
    const char *library; // "unlha32": no directory, no prefix, no suffix
    const char *entry;   // the exported name
    void *address = nullptr;
};

// Raised in the calling procedure when the library or one of its entries
// cannot be found; the call has not happened.
class BindingError : public std::runtime_error {
public:
    BindingError(std::string library, std::string entry, const std::string &cause);
    const std::string &library() const { return m_library; }
    // Empty when the library itself could not be loaded.
    const std::string &entry() const { return m_entry; }

private:
    std::string m_library;
    std::string m_entry;
};

// All declared entries, in declaration order.
std::span<Declaration> declarations();

// The file the loader searches for: "unlha32" gives "libunlha32.so".
std::string libraryFileName(const char *library);

// The address of the entry, loading the library and looking the entry up on
// the first call; throws BindingError.
void *bind(Declaration &declaration);

int UnlhaGetVersion();
int Unlha(uint32_t hwnd, const char *command, char *output, uint32_t size);

} // namespace Module1
