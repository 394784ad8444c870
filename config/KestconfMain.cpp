// The settings program's entry point. It takes no arguments.
#include "CKestconfApp.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return CKestconfApp(instance).run(); }
