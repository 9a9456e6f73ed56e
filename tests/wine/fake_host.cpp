#include "fake_host.h"

#include <oleauto.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <thread>

struct FakeHost::Shared {
    mutable std::mutex lock;
    std::vector<std::string> events;
    std::vector<DWORD> eventTimes;
    std::wstring entryField;
    double frequencyHz = 0;
    bool entryFieldFails = false;
    int macrosToRefuse = 0;
    DWORD callDelayMs = 0;

    void record(const std::string& event)
    {
        std::lock_guard<std::mutex> guard(lock);
        recordLocked(event);
    }
    void recordLocked(const std::string& event)
    {
        events.push_back(event);
        eventTimes.push_back(::GetTickCount());
    }
};

namespace {

// {5A3C0E71-2B94-4D6A-9F18-7E20C4B6D915}
const CLSID kHostClass = {0x5a3c0e71, 0x2b94, 0x4d6a, {0x9f, 0x18, 0x7e, 0x20, 0xc4, 0xb6, 0xd9, 0x15}};
const char kHostClassText[] = "{5A3C0E71-2B94-4D6A-9F18-7E20C4B6D915}";
// {0C7D25E4-8E4B-4F0A-B3A1-6D5F2E9C4A70}
const CLSID kKeepAliveClass = {0x0c7d25e4, 0x8e4b, 0x4f0a, {0xb3, 0xa1, 0x6d, 0x5f, 0x2e, 0x9c, 0x4a, 0x70}};

std::string narrow(BSTR text)
{
    std::string out;
    for (UINT i = 0; text && i < ::SysStringLen(text); ++i)
        out += static_cast<char>(text[i]);
    return out;
}

class HostObject final : public IDispatch {
public:
    explicit HostObject(std::shared_ptr<FakeHost::Shared> shared) : shared_(std::move(shared)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown || iid == IID_IDispatch) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }

    // Recorded at once, answered after the delay.
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO*, UINT*) override
    {
        const HRESULT answer = answerCall(member, flags, parameters, result);
        DWORD delayMs = 0;
        {
            std::lock_guard<std::mutex> guard(shared_->lock);
            delayMs = shared_->callDelayMs;
        }
        ::Sleep(delayMs);
        return answer;
    }

private:
    HRESULT answerCall(DISPID member, WORD flags, DISPPARAMS* parameters, VARIANT* result)
    {
        const UINT count = parameters ? parameters->cArgs : 0;
        if (member == 16 && flags == DISPATCH_METHOD && count == 1 && parameters->rgvarg[0].vt == VT_BSTR) {
            std::lock_guard<std::mutex> guard(shared_->lock);
            const std::string macro = narrow(parameters->rgvarg[0].bstrVal);
            if (shared_->macrosToRefuse != 0) {
                shared_->macrosToRefuse -= shared_->macrosToRefuse > 0;
                shared_->recordLocked("refused " + macro);
                return RPC_E_SERVERCALL_RETRYLATER;
            }
            shared_->recordLocked("macro " + macro);
            return S_OK;
        }
        if (member == 8 && flags == DISPATCH_METHOD && count == 1 && parameters->rgvarg[0].vt == VT_I4 &&
            parameters->rgvarg[0].lVal == 5 && result) {
            std::lock_guard<std::mutex> guard(shared_->lock);
            shared_->recordLocked("entry");
            if (shared_->entryFieldFails)
                return RPC_E_DISCONNECTED;
            result->vt = VT_BSTR;
            result->bstrVal = ::SysAllocString(shared_->entryField.c_str());
            return S_OK;
        }
        if (member == 2 && flags == DISPATCH_PROPERTYGET && count == 0 && result) {
            std::lock_guard<std::mutex> guard(shared_->lock);
            shared_->recordLocked("frequency");
            result->vt = VT_R8;
            result->dblVal = shared_->frequencyHz;
            return S_OK;
        }
        shared_->record("unexpected " + std::to_string(member));
        return DISP_E_MEMBERNOTFOUND;
    }

    std::atomic<ULONG> references_{1};
    std::shared_ptr<FakeHost::Shared> shared_;
};

void registerProgId()
{
    HKEY key;
    if (::RegCreateKeyExA(HKEY_CLASSES_ROOT, "Vexo2.Application\\CLSID", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot register the host's ProgID");
    ::RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(kHostClassText), sizeof kHostClassText);
    ::RegCloseKey(key);
}

}  // namespace

// The object in the running object table, in the current thread's apartment.
class FakeHost::Registration {
public:
    explicit Registration(std::shared_ptr<Shared> shared) : host_(new HostObject(std::move(shared)))
    {
        if (FAILED(::RegisterActiveObject(host_, kHostClass, ACTIVEOBJECT_STRONG, &cookie_)))
            throw std::runtime_error("cannot register the host object");
    }
    // Its callers' proxies are cut, as when a host's apartment ends.
    ~Registration()
    {
        ::RevokeActiveObject(cookie_, nullptr);
        ::CoDisconnectObject(host_, 0);
        host_->Release();
    }

private:
    HostObject* host_;
    DWORD cookie_ = 0;
};

namespace {

// Wine's RPC server keeps a connection for every apartment that has served
// another one's call, and once it holds 64 it stops serving; it also stops
// when the last object served goes, and a registration made while it is on
// the way out waits forever.  Tests make and drop hosts by the hundred, so
// the hosts live in apartments that last as long as the test program, and
// one object stays served throughout:
//  - a host on a thread of its own is registered and revoked in turn on
//    one such thread, which pumps messages as a host's main thread does;
//  - a thread that hosts one itself keeps its apartment.
class HostThread {
public:
    static HostThread& get()
    {
        static HostThread thread;
        return thread;
    }

    // Runs `task` there and waits for it; what it throws comes back here.
    void run(const std::function<void()>& task)
    {
        Task posted{&task, ::CreateEventA(nullptr, TRUE, FALSE, nullptr), nullptr};
        ::PostThreadMessageA(id_, kRunTask, 0, reinterpret_cast<LPARAM>(&posted));
        ::WaitForSingleObject(posted.done, INFINITE);
        ::CloseHandle(posted.done);
        if (posted.failure)
            std::rethrow_exception(posted.failure);
    }

private:
    static constexpr UINT kRunTask = WM_APP + 0x51;
    struct Task {
        const std::function<void()>* body;
        HANDLE done;
        std::exception_ptr failure;
    };

    HostThread()
    {
        HANDLE ready = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
        std::thread([this, ready] {
            ::CoInitialize(nullptr);
            keepAnObjectServed();
            MSG message;
            ::PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
            id_ = ::GetCurrentThreadId();
            ::SetEvent(ready);
            while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
                if (!message.hwnd && message.message == kRunTask)
                    runHere(*reinterpret_cast<Task*>(message.lParam));
                ::TranslateMessage(&message);
                ::DispatchMessageA(&message);
            }
        }).detach();
        ::WaitForSingleObject(ready, INFINITE);
        ::CloseHandle(ready);
    }

    static void runHere(Task& task)
    {
        try {
            (*task.body)();
        } catch (...) {
            task.failure = std::current_exception();
        }
        ::SetEvent(task.done);
    }

    static void keepAnObjectServed()
    {
        IStream* object = nullptr;
        DWORD registration = 0;
        if (SUCCEEDED(::CreateStreamOnHGlobal(nullptr, TRUE, &object)))
            ::RegisterActiveObject(object, kKeepAliveClass, ACTIVEOBJECT_STRONG, &registration);
    }

    DWORD id_ = 0;
};

void keepThisThreadsApartment()
{
    thread_local const HRESULT joined = ::CoInitialize(nullptr);
    (void)joined;
}

}  // namespace

FakeHost::FakeHost(Apartment apartment) : shared_(std::make_shared<Shared>()), onOwnThread_(apartment == OwnThread)
{
    registerProgId();
    if (!onOwnThread_) {
        keepThisThreadsApartment();
        registration_ = std::make_unique<Registration>(shared_);
        return;
    }
    HostThread::get().run([this] { registration_ = std::make_unique<Registration>(shared_); });
}

FakeHost::~FakeHost()
{
    if (onOwnThread_)
        HostThread::get().run([this] { registration_.reset(); });
    else
        registration_.reset();
}

void FakeHost::setEntryField(const std::string& callsign)
{
    std::lock_guard<std::mutex> guard(shared_->lock);
    shared_->entryField.assign(callsign.begin(), callsign.end());
}

void FakeHost::failEntryField(bool fail)
{
    std::lock_guard<std::mutex> guard(shared_->lock);
    shared_->entryFieldFails = fail;
}

void FakeHost::refuseMacros(int count)
{
    std::lock_guard<std::mutex> guard(shared_->lock);
    shared_->macrosToRefuse = count;
}

void FakeHost::delayCalls(DWORD ms)
{
    std::lock_guard<std::mutex> guard(shared_->lock);
    shared_->callDelayMs = ms;
}

void FakeHost::setFrequencyHz(double hz)
{
    std::lock_guard<std::mutex> guard(shared_->lock);
    shared_->frequencyHz = hz;
}

std::vector<std::string> FakeHost::events() const
{
    std::lock_guard<std::mutex> guard(shared_->lock);
    return shared_->events;
}

std::vector<std::string> FakeHost::macros() const
{
    std::vector<std::string> found;
    for (const std::string& event : events()) {
        if (event.rfind("macro ", 0) == 0)
            found.push_back(event.substr(6));
    }
    return found;
}

void FakeHost::note(const std::string& event)
{
    shared_->record(event);
}

void FakeHost::clearEvents()
{
    std::lock_guard<std::mutex> guard(shared_->lock);
    shared_->events.clear();
    shared_->eventTimes.clear();
}

std::vector<DWORD> FakeHost::timesOf(const std::string& event) const
{
    std::lock_guard<std::mutex> guard(shared_->lock);
    std::vector<DWORD> times;
    for (std::size_t i = 0; i < shared_->events.size(); ++i) {
        if (shared_->events[i] == event)
            times.push_back(shared_->eventTimes[i]);
    }
    return times;
}

bool FakeHost::waitForEvent(const std::string& event, std::size_t count, DWORD timeoutMs) const
{
    return pumpUntil(
        [&] {
            const std::vector<std::string> seen = events();
            return static_cast<std::size_t>(std::count(seen.begin(), seen.end(), event)) >= count;
        },
        timeoutMs);
}

bool pumpUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
    return true;
}

void pumpFor(DWORD ms)
{
    const DWORD start = ::GetTickCount();
    pumpUntil([&] { return ::GetTickCount() - start >= ms; }, ms + 1000);
}
