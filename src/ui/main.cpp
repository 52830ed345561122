#include "ui/talvir_main.h"

int main(int argc, char** argv) { return talvir::RunTalvir(argc, argv); }
