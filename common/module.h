#pragma once

#include <windows.h>

// An owned module handle from LoadLibrary, freed on destruction.
class Module {
public:
    Module() = default;
    explicit Module(HMODULE module) : module_(module) {}
    ~Module() { Free(); }

    Module(Module&& other) noexcept : module_(other.Release()) {}
    Module& operator=(Module&& other) noexcept {
        if (this != &other) {
            Free();
            module_ = other.Release();
        }
        return *this;
    }
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    static Module Load(const char* path) { return Module(path && *path ? LoadLibraryA(path) : nullptr); }
    // Loads with the system's "file not found" box suppressed.
    static Module LoadQuietly(const char* path) {
        UINT previous = SetErrorMode(SEM_NOOPENFILEERRORBOX);
        Module module = Load(path);
        SetErrorMode(previous);
        return module;
    }

    HMODULE get() const { return module_; }
    explicit operator bool() const { return module_ != nullptr; }

    // The named export cast to the caller's function type, or null.
    template <typename Function>
    Function Find(const char* name) const {
        if (!module_) return nullptr;
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }

    HMODULE Release() {
        HMODULE module = module_;
        module_ = nullptr;
        return module;
    }
    void Free() {
        if (module_) FreeLibrary(module_);
        module_ = nullptr;
    }

private:
    HMODULE module_ = nullptr;
};
