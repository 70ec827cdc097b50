#include "app/startup.h"

int main(int argc, char** argv)
{
    return krx::RunProgram(argc, argv);
}
