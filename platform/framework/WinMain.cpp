#include "platform/framework/CWinApp.h"
#include "platform/framework/StartupClock.h"

// The program entry hands over to the framework, which runs the one application object.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    StartupClock::MarkEntry();
    return AfxWinMain(instance, previous, commandLine, show);
}
