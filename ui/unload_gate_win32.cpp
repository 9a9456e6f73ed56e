#include "ui/unload_gate_win32.h"

#include <cstring>
#include <mutex>

namespace {

// What every gate of this load of the library reads.  The page is never
// freed: a thread may still be in a gate, on its way back to the system,
// after the library has gone.
struct GateData {
    volatile LONG closed;
    void* getModuleHandleEx;
    void* freeLibrary;
};

}  // namespace

extern "C" const unsigned char zemrixGateBegin[], zemrixGateEnd[], zemrixGateData[], zemrixGateTarget[];

// One gate, copied for each procedure, with the addresses of its data and
// of its procedure written into its two immediates.  A stdcall procedure of
// four arguments: it holds a reference on the module of the procedure while
// the procedure runs, and answers 0 without calling it when that module has
// gone or the gate is closed.  Its own frame and registers only; the
// reference is given back from here, so that the last one may unload the
// library while this code runs on.
asm(R"(
    .text
    .p2align 4
    .globl _zemrixGateBegin, _zemrixGateEnd, _zemrixGateData, _zemrixGateTarget
    .intel_syntax noprefix
_zemrixGateBegin:
    push ebp
    mov ebp, esp
    push ebx
    push esi
    push edi
    push 0                          # [ebp-16]: the module, once referenced
    .byte 0xBB                      # mov ebx, imm32: the gate's data
_zemrixGateData:
    .long 0
    .byte 0xBF                      # mov edi, imm32: the procedure
_zemrixGateTarget:
    .long 0
    lea eax, [ebp-16]
    push eax
    push edi
    push 4                          # GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS
    call dword ptr [ebx+4]          # GetModuleHandleExW
    test eax, eax
    jz 2f
    xor esi, esi
    cmp dword ptr [ebx], 0          # closed
    jne 1f
    push dword ptr [ebp+20]
    push dword ptr [ebp+16]
    push dword ptr [ebp+12]
    push dword ptr [ebp+8]
    call edi
    mov esi, eax
1:
    push dword ptr [ebp-16]
    call dword ptr [ebx+8]          # FreeLibrary
    mov eax, esi
    jmp 3f
2:
    xor eax, eax
3:
    lea esp, [ebp-12]
    pop edi
    pop esi
    pop ebx
    pop ebp
    ret 16
    .p2align 4
_zemrixGateEnd:
    .att_syntax prefix
)");

namespace ui {

namespace {

constexpr std::size_t kPageSize = 4096;
constexpr std::size_t kMaxGates = 8;

struct Gate {
    void* procedure;
    unsigned char* code;
};

struct Gates {
    std::mutex lock;
    unsigned char* page = nullptr;  // the data, then the gates' code
    GateData* data = nullptr;
    Gate made[kMaxGates] = {};
    std::size_t count = 0;
};

Gates gates;

std::size_t gateSize() { return static_cast<std::size_t>(zemrixGateEnd - zemrixGateBegin); }

void writeAddress(unsigned char* code, const unsigned char* field, const void* address)
{
    std::memcpy(code + (field - zemrixGateBegin), &address, sizeof address);
}

unsigned char* makeGate(void* procedure)
{
    const std::size_t offset = 64 + gates.count * gateSize();
    if (gates.count == kMaxGates || offset + gateSize() > kPageSize)
        return nullptr;
    unsigned char* code = gates.page + offset;
    std::memcpy(code, zemrixGateBegin, gateSize());
    writeAddress(code, zemrixGateData, gates.data);
    writeAddress(code, zemrixGateTarget, procedure);
    ::FlushInstructionCache(::GetCurrentProcess(), code, gateSize());
    gates.made[gates.count++] = {procedure, code};
    return code;
}

void* gateFor(void* procedure)
{
    std::lock_guard<std::mutex> guard(gates.lock);
    if (!gates.page)
        return procedure;
    for (std::size_t i = 0; i < gates.count; ++i)
        if (gates.made[i].procedure == procedure)
            return gates.made[i].code;
    unsigned char* code = makeGate(procedure);
    return code ? code : procedure;
}

}  // namespace

// Gates are written into the page while others may run in it, so it is
// writable and executable at once; it holds nothing but the gates.
void openUnloadGate()
{
    void* page = ::VirtualAlloc(nullptr, kPageSize, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
    if (!page)
        return;
    HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    auto* data = static_cast<GateData*>(page);
    data->closed = 0;
    data->getModuleHandleEx = reinterpret_cast<void*>(::GetProcAddress(kernel, "GetModuleHandleExW"));
    data->freeLibrary = reinterpret_cast<void*>(::GetProcAddress(kernel, "FreeLibrary"));
    if (!data->getModuleHandleEx || !data->freeLibrary) {
        ::VirtualFree(page, 0, MEM_RELEASE);
        return;
    }
    gates.page = static_cast<unsigned char*>(page);
    gates.data = data;
}

void closeUnloadGate()
{
    if (gates.data)
        ::InterlockedExchange(&gates.data->closed, 1);
}

WNDPROC gated(WNDPROC procedure)
{
    return reinterpret_cast<WNDPROC>(gateFor(reinterpret_cast<void*>(procedure)));
}

DLGPROC gated(DLGPROC procedure)
{
    return reinterpret_cast<DLGPROC>(gateFor(reinterpret_cast<void*>(procedure)));
}

}  // namespace ui
