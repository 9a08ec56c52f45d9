// tarvolo: the desktop client.
#include "app/client.h"

int main(int argc, char** argv) { tv::RunClient(argc, argv); }
