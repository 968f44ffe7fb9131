// Module-wide state of the span buffer: the edge and span pools and the per-line tables.
#include "spans/spans.h"

Frame_State frame_state;
