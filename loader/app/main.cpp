#include "loader/app/LoaderMain.h"

int main(int argc, char** argv) {
    return RunLoader(argc, argv);
}
