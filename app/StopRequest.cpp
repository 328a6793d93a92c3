#include "app/StopRequest.h"

#include <atomic>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#endif

namespace {

std::atomic<bool> stopRequested{false};

#ifdef _WIN32

BOOL WINAPI OnConsoleEvent(DWORD event)
{
    stopRequested = true;
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT)
        return TRUE;
    // Closing the console, logging off or shutting down ends the process as soon as this returns: wait here
    // (the system allows a few seconds) until the main thread has finished its tick and exits with status 0.
    Sleep(10000);
    return TRUE;
}

#else

extern "C" void OnSignal(int)
{
    stopRequested = true;
}

#endif

} // namespace

void InstallStopHandlers()
{
#ifdef _WIN32
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#else
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    // A closed standard output loses the echo, not the service.
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

bool StopRequested()
{
    return stopRequested;
}
