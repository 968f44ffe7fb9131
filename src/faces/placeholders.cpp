// Stand-ins for setup and clip functions that are not written yet: each
// prepares or clips nothing. A line goes when its real function lands.
#include "faces/faces.h"

void QUORVEL_CDECL Setup_Placeholder(Host_Scene*, Host_Face*) {}
void QUORVEL_CDECL Clip_Placeholder(Host_Scene*, Prepared_Face*) {}

void QUORVEL_CDECL Setup_Face_Flat(Host_Scene* scene, Host_Face* face) { Setup_Placeholder(scene, face); }
void QUORVEL_CDECL Setup_Face_Flat_Translucent(Host_Scene* scene, Host_Face* face) { Setup_Placeholder(scene, face); }
void QUORVEL_CDECL Setup_Face_Gouraud(Host_Scene* scene, Host_Face* face) { Setup_Placeholder(scene, face); }
void QUORVEL_CDECL Setup_Face_Gouraud_Translucent(Host_Scene* scene, Host_Face* face) { Setup_Placeholder(scene, face); }
void QUORVEL_CDECL Setup_Face_Gouraud_Mapped(Host_Scene* scene, Host_Face* face) { Setup_Placeholder(scene, face); }
void QUORVEL_CDECL Setup_Face_Gouraud_Mapped_Translucent(Host_Scene* scene, Host_Face* face) { Setup_Placeholder(scene, face); }
void QUORVEL_CDECL Setup_Face_Mapped(Host_Scene* scene, Host_Face* face) { Setup_Placeholder(scene, face); }
void QUORVEL_CDECL Setup_Face_Mapped_Translucent(Host_Scene* scene, Host_Face* face) { Setup_Placeholder(scene, face); }
void QUORVEL_CDECL Setup_Face_Square(Host_Scene* scene, Host_Face* face) { Setup_Placeholder(scene, face); }
void QUORVEL_CDECL Setup_Face_Square_Overlay(Host_Scene* scene, Host_Face* face) { Setup_Placeholder(scene, face); }

