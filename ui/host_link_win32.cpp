#include "ui/host_link_win32.h"

#include <windows.h>

#include <oleauto.h>

namespace ui {

namespace {

constexpr DISPID kFrequencyProperty = 2;
constexpr DISPID kEntryFieldMethod = 8;
constexpr DISPID kMacroMethod = 16;
// Which of the host's fields the entry-field method reads: the callsign.
constexpr int kCallsignField = 5;

BSTR wideText(const char* text)
{
    const int length = ::MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, nullptr, 0);
    if (length <= 0)
        return nullptr;
    BSTR wide = ::SysAllocStringLen(nullptr, static_cast<UINT>(length - 1));
    if (wide)
        ::MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, wide, length);
    return wide;
}

std::string narrowText(BSTR wide)
{
    const int wideLength = static_cast<int>(::SysStringLen(wide));
    if (wideLength == 0)
        return {};
    const int length = ::WideCharToMultiByte(CP_THREAD_ACP, 0, wide, wideLength, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        ::WideCharToMultiByte(CP_THREAD_ACP, 0, wide, wideLength, &text[0], length, nullptr, nullptr);
    return text;
}

// Owns a VARIANT for one call.
struct Variant {
    VARIANT value;
    Variant() { ::VariantInit(&value); }
    ~Variant() { ::VariantClear(&value); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;

    bool convertTo(VARTYPE type) { return SUCCEEDED(::VariantChangeType(&value, &value, 0, type)); }
};

}  // namespace

// A thread in the multithreaded apartment answers RPC_E_CHANGED_MODE and
// makes its calls from there; any other success (S_FALSE too: the thread
// was in a single-threaded apartment already) is paired with its
// CoUninitialize, which leaves the thread as it was.
ComUse::ComUse() : joined_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}

ComUse::~ComUse()
{
    if (joined_)
        ::CoUninitialize();
}

HostLink::HostLink()
{
    CLSID hostClass;
    if (FAILED(::CLSIDFromProgID(L"Vexo2.Application", &hostClass)))
        return;
    IUnknown* running = nullptr;
    if (FAILED(::GetActiveObject(hostClass, nullptr, &running)) || !running)
        return;
    void* dispatch = nullptr;
    if (SUCCEEDED(running->QueryInterface(IID_IDispatch, &dispatch)))
        host_ = static_cast<IDispatch*>(dispatch);
    running->Release();
}

HostLink::~HostLink()
{
    if (host_)
        host_->Release();
}

bool HostLink::invoke(DISPID member, WORD flags, VARIANT* argument, VARIANT* result)
{
    if (!host_)
        return false;
    DISPPARAMS parameters = {argument, nullptr, argument ? 1u : 0u, 0};
    return SUCCEEDED(host_->Invoke(member, IID_NULL, 0, flags, &parameters, result, nullptr, nullptr));
}

bool HostLink::sendMacro(const std::string& macro)
{
    Variant text;
    text.value.vt = VT_BSTR;
    text.value.bstrVal = wideText(macro.c_str());
    return text.value.bstrVal && invoke(kMacroMethod, DISPATCH_METHOD, &text.value, nullptr);
}

// The host answers with a string; anything else that converts to one is
// taken too, and what does not is no answer.
std::optional<std::string> HostLink::enteredCallsign()
{
    Variant field, answer;
    field.value.vt = VT_I4;
    field.value.lVal = kCallsignField;
    if (!invoke(kEntryFieldMethod, DISPATCH_METHOD, &field.value, &answer.value))
        return std::nullopt;
    if (answer.value.vt == VT_EMPTY || answer.value.vt == VT_NULL)
        return std::string();
    if (!answer.convertTo(VT_BSTR))
        return std::nullopt;
    return narrowText(answer.value.bstrVal);
}

std::optional<double> HostLink::frequencyHz()
{
    Variant answer;
    if (!invoke(kFrequencyProperty, DISPATCH_PROPERTYGET, nullptr, &answer.value) || !answer.convertTo(VT_R8))
        return std::nullopt;
    return answer.value.dblVal;
}

}  // namespace ui
