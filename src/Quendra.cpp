// The program start.

#include "app/Programma.h"

int main(int argc, char** argv) { return EseguiProgramma(argc, argv); }
