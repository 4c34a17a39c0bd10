// Process entry. The application object arrives with the window and scene code.
#include <cstdio>

int main()
{
    std::fprintf(stderr, "quillmark4: the application object is not built yet\n");
    return 0;
}
