// Child program for the harness tests.
//   harness_child exit <n>            ends with exit code n
//   harness_child box <title> <text>  shows a Retry/Cancel message box and ends with its answer
//   harness_child hang                never ends on its own
#include <windows.h>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc == 3 && strcmp(argv[1], "exit") == 0)
        return atoi(argv[2]);
    if (argc == 4 && strcmp(argv[1], "box") == 0)
        return MessageBoxA(nullptr, argv[3], argv[2], MB_RETRYCANCEL | MB_ICONERROR);
    if (argc == 2 && strcmp(argv[1], "hang") == 0) {
        Sleep(INFINITE);
        return 0;
    }
    return 100;
}
