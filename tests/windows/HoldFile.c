/* Holds a file open the way Word and Excel hold a document they show: no
 * other program may read, write or delete it until it is closed.
 *   hold-file.exe FILE SECONDS
 * Prints "held" once the file is held; exits 2 when it cannot be opened. */
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3)
        return 1;
    HANDLE h = CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return 2;
    puts("held");
    fflush(stdout);
    Sleep((DWORD)_wtoi(argv[2]) * 1000);
    CloseHandle(h);
    return 0;
}
