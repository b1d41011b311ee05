// The program's main(): kept alone in its object so that programs with their own main (the test
// programs) do not pull it in.

#include <owl/Application.h>

int main(int argc, char* argv[])
{
    return OwlMain(argc, argv);
}
