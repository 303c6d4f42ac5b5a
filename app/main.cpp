#include "core/mdlMain.h"

int main(int argc, char** argv) { return mdlMain::Main(argc, argv); }
