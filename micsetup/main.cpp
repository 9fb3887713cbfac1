#include "micsetup/MicSetupMain.h"

int main(int argc, char** argv)
{
    return larkspur::runMicSetup(argc, argv);
}
