#include "window/application.h"

int main(int argc, char *argv[]) {
    return quervelle::runApplication(argc, argv);
}
