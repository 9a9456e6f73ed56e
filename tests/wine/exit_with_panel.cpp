// A host that ends its process while the mode panel is open, without
// unloading the plug-in first: the plug-in's unload then runs after the
// window thread has been killed, and must not wait for it forever.
#include <windows.h>

#include "stats_dll.h"

int main()
{
    const StatsDll* dll = new StatsDll;  // never freed: the process ends with it loaded
    dll->RunCommand0(0, "SHOWINFO");
    for (int i = 0; i < 500 && !::FindWindowA(nullptr, "MODE"); ++i)
        ::Sleep(20);
    return ::FindWindowA(nullptr, "MODE") ? 0 : 2;
}
