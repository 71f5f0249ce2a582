// zerna: the stand-in host program whose GB_ functions are its own exports.
#include "tools/zerna/ZernaProgram.h"

int main(int argc, char** argv)
{
    return RunZerna(argc, argv);
}
