#include "app/LarkspurApp.h"

int main(int argc, char** argv)
{
    return larkspur::runLarkspur(argc, argv);
}
