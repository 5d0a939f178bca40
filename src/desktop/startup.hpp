// The desktop program's start: its command line, the check for a display, the application and
// its one window, and the script replay mode.
#pragma once

namespace brontile::desktop {

// Exit codes: 0 after a normal quit or a replay run to its end; 1 for a failure (no display, a
// replay step that failed); 2 for wrong arguments or a bad replay script.
int runDesktop(int argc, char** argv);

// In the checking build (AddressSanitizer), keeps Mesa's OpenGL driver loaded until the process
// ends: it is unloaded at exit otherwise, and a leak report could then name neither it nor its
// suppression. Does nothing in other builds.
void keepGraphicsDriverForLeakReports();

}  // namespace brontile::desktop
