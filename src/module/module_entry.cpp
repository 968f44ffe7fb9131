// The Windows module entry routine. The library keeps no per-thread state, so
// it asks the loader not to call it for every thread the host starts or ends;
// no notification can fail, so each one answers 1.
#if defined(_WIN32)

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(module);
    return TRUE;
}

#endif
