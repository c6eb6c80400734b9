// SPDX-License-Identifier: MIT
#include "Module1.h"

#include "unlha32.h"

#include <dlfcn.h>

#include <array>
#include <map>
#include <string_view>

namespace Module1 {
namespace {

std::array<Declaration, 43> g_declarations{{
    {"unlha32", "UnlhaGetVersion"},
    {"unlha32", "UnlhaGetSubVersion"},
    {"unlha32", "UnlhaGetRunning"},
    {"unlha32", "UnlhaGetBackGroundMode"},
    {"unlha32", "UnlhaSetBackGroundMode"},
    {"unlha32", "UnlhaGetCursorMode"},
    {"unlha32", "UnlhaSetCursorMode"},
    {"unlha32", "UnlhaGetCursorInterval"},
    {"unlha32", "UnlhaSetCursorInterval"},
    {"unlha32", "Unlha"},
    {"unlha32", "UnlhaExtractMem"},
    {"unlha32", "UnlhaCompressMem"},
    {"unlha32", "UnlhaCheckArchive"},
    {"unlha32", "UnlhaConfigDialog"},
    {"unlha32", "UnlhaGetFileCount"},
    {"unlha32", "UnlhaOpenArchive"},
    {"unlha32", "UnlhaCloseArchive"},
    {"unlha32", "UnlhaFindFirst"},
    {"unlha32", "UnlhaFindNext"},
    {"unlha32", "UnlhaGetArcFileName"},
    {"unlha32", "UnlhaGetArcFileSize"},
    {"unlha32", "UnlhaGetArcOriginalSize"},
    {"unlha32", "UnlhaGetArcCompressedSize"},
    {"unlha32", "UnlhaGetArcRatio"},
    {"unlha32", "UnlhaGetArcDate"},
    {"unlha32", "UnlhaGetArcTime"},
    {"unlha32", "UnlhaGetArcOSType"},
    {"unlha32", "UnlhaGetFileName"},
    {"unlha32", "UnlhaGetMethod"},
    {"unlha32", "UnlhaGetOriginalSize"},
    {"unlha32", "UnlhaGetCompressedSize"},
    {"unlha32", "UnlhaGetRatio"},
    {"unlha32", "UnlhaGetDate"},
    {"unlha32", "UnlhaGetTime"},
    {"unlha32", "UnlhaGetWriteTime"},
    {"unlha32", "UnlhaGetAccessTime"},
    {"unlha32", "UnlhaGetCreateTime"},
    {"unlha32", "UnlhaGetCRC"},
    {"unlha32", "UnlhaGetAttribute"},
    {"unlha32", "UnlhaGetOSType"},
    {"unlha32", "UnlhaQueryFunctionList"},
    {"unlha32", "UnlhaSetOwnerWindow"},
    {"unlha32", "UnlhaClearOwnerWindow"},
}};

// Loaded libraries by name; a handle, once obtained, is kept for good.
void *loadLibrary(const char *library) {
    static std::map<std::string, void *> loaded;
    if (auto found = loaded.find(library); found != loaded.end())
        return found->second;
    const auto file = libraryFileName(library);
    // dlmopen into the base namespace is dlopen with the ordinary search; it
    // is used because sanitizer runtimes wrap dlopen, which makes the wrapper
    // the caller whose RUNPATH the loader consults, hiding the program's own
    // $ORIGIN/../lib/hokora.
    void *handle = ::dlmopen(LM_ID_BASE, file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char *cause = ::dlerror();
        throw BindingError(library, {}, cause != nullptr ? cause : file + ": cannot be loaded");
    }
    loaded.emplace(library, handle);
    return handle;
}

// The record of the entry with that exported name; every name the program
// calls is declared, so the look-up cannot miss.
Declaration &declarationOf(std::string_view entry) {
    for (Declaration &declaration : g_declarations) {
        if (entry == declaration.entry)
            return declaration;
    }
    throw BindingError("unlha32", std::string(entry), std::string(entry) + ": not declared");
}

template <typename Function> Function *entryOf(std::string_view entry) {
    return reinterpret_cast<Function *>(bind(declarationOf(entry)));
}

} // namespace

BindingError::BindingError(std::string library, std::string entry, const std::string &cause)
    : std::runtime_error(cause), m_library(std::move(library)), m_entry(std::move(entry)) {}

std::span<Declaration> declarations() {
    return g_declarations;
}

std::string libraryFileName(const char *library) {
    return "lib" + std::string(library) + ".so";
}

void *bind(Declaration &declaration) {
    if (declaration.address != nullptr)
        return declaration.address;
    void *handle = loadLibrary(declaration.library);
    ::dlerror();
    void *address = ::dlsym(handle, declaration.entry);
    if (address == nullptr)
        throw BindingError(declaration.library, declaration.entry,
                           libraryFileName(declaration.library) + ": no entry " +
                               declaration.entry);
    declaration.address = address;
    return address;
}

int UnlhaGetVersion() {
    return entryOf<decltype(::UnlhaGetVersion)>("UnlhaGetVersion")();
}

int Unlha(uint32_t hwnd, const char *command, char *output, uint32_t size) {
    return entryOf<decltype(::Unlha)>("Unlha")(hwnd, command, output, size);
}

} // namespace Module1
