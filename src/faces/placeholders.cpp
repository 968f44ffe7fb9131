// Stand-ins for setup and clip functions that are not written yet: each
// prepares or clips nothing. A line goes when its real function lands.
#include "faces/faces.h"

void QUORVEL_CDECL Setup_Placeholder(Host_Scene*, Host_Face*) {}
void QUORVEL_CDECL Clip_Placeholder(Host_Scene*, Prepared_Face*) {}


