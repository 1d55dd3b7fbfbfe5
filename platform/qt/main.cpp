// pellorin: pulls one field of every line of a text file into a new file.
#include "platform/qt/pellorin_program.h"

int main(int argc, char* argv[]) { return morvane::qt::RunPellorin(argc, argv); }
