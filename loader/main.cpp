#include "loader/LoaderMain.h"

int main(int argc, char** argv) {
    return RunLoader(argc, argv);
}
