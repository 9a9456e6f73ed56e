#include "contest/unload_gate_win32.h"

#include <cstring>
#include <mutex>

namespace {

// What every gate of this load of the library reads.  The page is never
// freed: a thread may still be in a gate, on its way back, after the
// library has gone.
struct GateData {
    volatile LONG closed;
    void* getModuleHandleEx;
    void* freeLibrary;
};

}  // namespace

extern "C" const unsigned char zemrixWindowGate[], zemrixWindowGateEnd[], zemrixWindowGateData[],
    zemrixWindowGateTarget[], zemrixCallGate[], zemrixCallGateEnd[], zemrixCallGateData[], zemrixCallGateTarget[],
    zemrixCallGateWords[];

// Two gates, copied for each procedure or function with the addresses of
// their data and of what they call written into their immediates.  Each
// holds a reference on the module of what it calls while that runs, and
// answers 0 without calling it when that module has gone; the reference is
// given back from here, so that the last one may unload the library while
// this code runs on.  They keep to their own frame and registers.
//  - The window gate: a stdcall procedure of four arguments, also answered
//    0 once the gate is closed.
//  - The call gate: a cdecl function of any arguments, copied from the
//    caller's frame (as many words as written into it).
asm(R"(
    .text
    .p2align 4
    .globl _zemrixWindowGate, _zemrixWindowGateEnd, _zemrixWindowGateData, _zemrixWindowGateTarget
    .globl _zemrixCallGate, _zemrixCallGateEnd, _zemrixCallGateData, _zemrixCallGateTarget, _zemrixCallGateWords
    .intel_syntax noprefix

# Both gates open alike: the frame, the data and the target written into
# the immediates at `data` and `target`, and the reference on the target's
# module, going on at 2f without one.
.macro zemrix_gate_entry data, target
    push ebp
    mov ebp, esp
    push ebx
    push esi
    push edi
    push 0                          # [ebp-16]: the module, once referenced
    .byte 0xBB                      # mov ebx, imm32: the gate's data
\data:
    .long 0
    .byte 0xBF                      # mov edi, imm32: what it calls
\target:
    .long 0
    lea eax, [ebp-16]
    push eax
    push edi
    push 4                          # GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS
    call dword ptr [ebx+4]          # GetModuleHandleExW
    test eax, eax
    jz 2f
.endm

# ... and close alike: the reference given back, the answer in esi (0 at
# 2, without a reference), the frame left; each returns as its kind does.
.macro zemrix_gate_exit
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
.endm

_zemrixWindowGate:
    zemrix_gate_entry _zemrixWindowGateData, _zemrixWindowGateTarget
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
    zemrix_gate_exit
    ret 16
    .p2align 4
_zemrixWindowGateEnd:

_zemrixCallGate:
    zemrix_gate_entry _zemrixCallGateData, _zemrixCallGateTarget
    .byte 0xB9                      # mov ecx, imm32: the arguments' words
_zemrixCallGateWords:
    .long 0
    jecxz 5f
4:
    push dword ptr [ebp+4+ecx*4]
    loop 4b
5:
    call edi
    mov esi, eax
    zemrix_gate_exit
    ret
    .p2align 4
_zemrixCallGateEnd:
    .att_syntax prefix
)");

namespace {

constexpr std::size_t kPageSize = 4096;
constexpr std::size_t kMaxGates = 24;

struct Template {
    const unsigned char* begin;
    const unsigned char* end;
    const unsigned char* data;
    const unsigned char* target;
};

const Template kWindowGate = {zemrixWindowGate, zemrixWindowGateEnd, zemrixWindowGateData, zemrixWindowGateTarget};
const Template kCallGate = {zemrixCallGate, zemrixCallGateEnd, zemrixCallGateData, zemrixCallGateTarget};

struct Gate {
    const void* target;
    unsigned char* code;
};

struct Gates {
    std::mutex lock;
    unsigned char* page = nullptr;  // the data, then the gates' code
    GateData* data = nullptr;
    std::size_t used = 0;           // bytes of the page in use
    Gate made[kMaxGates] = {};
    std::size_t count = 0;
};

Gates gates;

void writeWord(unsigned char* code, const Template& from, const unsigned char* field, const void* word)
{
    std::memcpy(code + (field - from.begin), &word, sizeof word);
}

unsigned char* makeGate(const Template& from, const void* target)
{
    const std::size_t size = static_cast<std::size_t>(from.end - from.begin);
    if (gates.count == kMaxGates || gates.used + size > kPageSize)
        return nullptr;
    unsigned char* code = gates.page + gates.used;
    std::memcpy(code, from.begin, size);
    writeWord(code, from, from.data, gates.data);
    writeWord(code, from, from.target, target);
    gates.used += size;
    gates.made[gates.count++] = {target, code};
    return code;
}

void* gateFor(const Template& from, void* target, std::size_t argumentWords = 0)
{
    std::lock_guard<std::mutex> guard(gates.lock);
    if (!gates.page)
        return target;
    for (std::size_t i = 0; i < gates.count; ++i)
        if (gates.made[i].target == target)
            return gates.made[i].code;
    unsigned char* code = makeGate(from, target);
    if (!code)
        return target;
    if (from.begin == kCallGate.begin)
        writeWord(code, from, zemrixCallGateWords, reinterpret_cast<void*>(argumentWords));
    ::FlushInstructionCache(::GetCurrentProcess(), code, static_cast<std::size_t>(from.end - from.begin));
    return code;
}

constexpr std::size_t kDataBytes = 64;

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
    gates.used = kDataBytes;
}

void closeUnloadGate()
{
    if (gates.data)
        ::InterlockedExchange(&gates.data->closed, 1);
}

WNDPROC gated(WNDPROC procedure)
{
    return reinterpret_cast<WNDPROC>(gateFor(kWindowGate, reinterpret_cast<void*>(procedure)));
}

DLGPROC gated(DLGPROC procedure)
{
    return reinterpret_cast<DLGPROC>(gateFor(kWindowGate, reinterpret_cast<void*>(procedure)));
}

void* gatedCall(void* function, std::size_t argumentBytes)
{
    return gateFor(kCallGate, function, (argumentBytes + 3) / 4);
}
