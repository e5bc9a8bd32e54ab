// Tavrin, the desktop program.
#include "app/Tavrin.h"

int main(int argc, char** argv) { return tavrin::RunTavrin(argc, argv); }
