// Stands in for the browser while the window tests press the web-page buttons: appends the address
// it is given to a file, one line each, and opens nothing.
// Usage: url_recorder <file> <address>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    FILE* file = fopen(argv[1], "ab");
    if (!file)
        return 1;
    fprintf(file, "%s\n", argv[2]);
    return fclose(file) == 0 ? 0 : 1;
}
