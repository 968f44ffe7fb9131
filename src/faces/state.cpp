// Module-wide state of face preparation: the three face pools and the sort arrays.
#include "faces/faces.h"

Faces_State faces_state;
