// The program's entry point.
#include "setup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand)
{
    return SetupMain(instance, previousInstance, commandLine, showCommand);
}
