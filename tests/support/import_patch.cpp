#include "tests/support/import_patch.h"

#include <cstdint>

namespace testsupport {

namespace {

void** FindImportSlot(HMODULE module, const char* dll, const char* function) {
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!dir.VirtualAddress) return nullptr;
    for (auto* desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); desc->Name; ++desc) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + desc->Name), dll) != 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (lstrcmpA(reinterpret_cast<const char*>(byName->Name), function) == 0) {
                return reinterpret_cast<void**>(&slots->u1.Function);
            }
        }
    }
    return nullptr;
}

void WriteSlot(void** slot, void* value) {
    DWORD old = 0;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old);
    *slot = value;
    VirtualProtect(slot, sizeof *slot, old, &old);
}

std::vector<DWORD> g_waits;

// One refusal at a time: the originals and the limit of the current one.
using MallocFn = void*(__cdecl*)(size_t);
using CallocFn = void*(__cdecl*)(size_t, size_t);
using ReallocFn = void*(__cdecl*)(void*, size_t);
MallocFn g_malloc = nullptr;
CallocFn g_calloc = nullptr;
ReallocFn g_realloc = nullptr;
size_t g_refusedFrom = 0;
int g_refused = 0;

bool Refuses(size_t size) {
    if (size < g_refusedFrom) return false;
    ++g_refused;
    return true;
}

}  // namespace

ImportPatch::ImportPatch(HMODULE module, const char* dll, const char* function, void* replacement) {
    if (!module) return;
    slot_ = FindImportSlot(module, dll, function);
    if (!slot_) return;
    original_ = *slot_;
    WriteSlot(slot_, replacement);
}

ImportPatch::~ImportPatch() {
    if (slot_) WriteSlot(slot_, original_);
}

SleepRecorder::SleepRecorder(HMODULE module)
    : patch_(module, "KERNEL32.dll", "Sleep", reinterpret_cast<void*>(&FakeSleep)) {
    g_waits.clear();
}

SleepRecorder::~SleepRecorder() = default;

int SleepRecorder::Count(DWORD ms) {
    int count = 0;
    for (DWORD wait : g_waits) count += wait == ms ? 1 : 0;
    return count;
}

void WINAPI SleepRecorder::FakeSleep(DWORD ms) { g_waits.push_back(ms); }

AllocationRefusal::AllocationRefusal(HMODULE module, size_t atLeast)
    : malloc_(module, "msvcrt.dll", "malloc", reinterpret_cast<void*>(&Malloc)),
      calloc_(module, "msvcrt.dll", "calloc", reinterpret_cast<void*>(&Calloc)),
      realloc_(module, "msvcrt.dll", "realloc", reinterpret_cast<void*>(&Realloc)) {
    g_malloc = reinterpret_cast<MallocFn>(malloc_.original());
    g_calloc = reinterpret_cast<CallocFn>(calloc_.original());
    g_realloc = reinterpret_cast<ReallocFn>(realloc_.original());
    g_refusedFrom = atLeast;
    g_refused = 0;
}

AllocationRefusal::~AllocationRefusal() = default;

int AllocationRefusal::Refused() { return g_refused; }

void* __cdecl AllocationRefusal::Malloc(size_t size) { return Refuses(size) ? nullptr : g_malloc(size); }

void* __cdecl AllocationRefusal::Calloc(size_t count, size_t size) {
    const size_t total = size && count > SIZE_MAX / size ? SIZE_MAX : count * size;
    return Refuses(total) ? nullptr : g_calloc(count, size);
}

void* __cdecl AllocationRefusal::Realloc(void* block, size_t size) {
    return Refuses(size) ? nullptr : g_realloc(block, size);
}

}  // namespace testsupport
