// Module-wide state of the frame pipeline: the edge and span pools and the per-line tables.
#include "frame/frame.h"

Frame_State frame_state;
