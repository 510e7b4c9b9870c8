#include "platform/framework/CWinApp.h"

// The program entry hands over to the framework, which runs the one application object.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    return AfxWinMain(instance, previous, commandLine, show);
}
