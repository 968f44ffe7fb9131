// Stand-ins for fillers that are not written yet: each draws nothing. A line
// goes when its real filler lands.
#include "fillers/fillers.h"

void QUORVEL_CDECL Fill_Placeholder(Prepared_Face*, std::uint16_t*, std::uint32_t, std::int32_t) {}

