// brontile: the modeller's desktop window.
#include "desktop/startup.hpp"

int main(int argc, char** argv) { return brontile::desktop::runDesktop(argc, argv); }
