// The frame pipeline: span buffer, translucent ordering and scene traversal,
// driven by Quorvel_Render_Dll.
#ifndef QUORVEL_FRAME_H
#define QUORVEL_FRAME_H

#include <cstdint>

#include "faces/faces.h"
#include "quorvel/host_records.h"

// 4096 lines: the per-line tables are indexed by a 12-bit y.
constexpr std::int32_t max_scan_lines = 4096;

struct Edge {
    std::int32_t   x;         // 16.16 crossing on the current line
    std::int32_t   dx;        // 16.16 change per line
    std::int32_t   entering;  // 1: crossing left to right enters the face
    Edge*          next;
    Edge*          prev;
    Edge*          remove_next;
    Prepared_Face* face;
};

struct Span {  // 16 bytes; chains by index so the pool may move mid-pass
    std::int32_t x;
    std::int32_t length;
    std::int32_t y;
    std::int32_t next;  // -1 ends the chain
};
static_assert(sizeof(Span) == 16);

struct Edge_Pool {
    Edge*        records = nullptr;
    std::int32_t count = 0;
    std::int32_t capacity = 0;
};
struct Span_Pool {
    Span*        records = nullptr;
    std::int32_t count = 0;
    std::int32_t capacity = 0;
};
constexpr std::int32_t edge_pool_step = 4096;
constexpr std::int32_t span_pool_step = 4096;

struct Frame_State {
    Edge_Pool edges;
    Span_Pool spans;
    Edge      new_edge_table[max_scan_lines];     // list heads; only next is used
    Edge*     remove_edge_table[max_scan_lines];  // chains through remove_next
};
extern Frame_State frame_state;

enum Add_Edges_Result : std::int32_t { Edges_Filed = 0, Edges_Restart = 1, Edges_Failed = 2 };

std::int32_t Add_Face_Edges(Host_Scene* scene, Prepared_Face* face);

struct Scan_Bounds {
    float clip_left;
    float clip_top;
    const float* clip_bottom;  // read again at every line
};
void Scan_Spans(const Scan_Bounds& bounds, Edge* new_edge_table, Edge** remove_edge_table, Edge* left_sentinel,
                Edge* right_sentinel, Prepared_Face* stack_end, Prepared_Face* background);

void Sort_Translucent_Faces(const Prepared_Face* list, std::int32_t count);

// Frees the span and edge pools and resets them to empty.
void Release_Span_Buffer();

// Scene traversal: hands every accepted face to slot 1 of its material's row.
void Draw_Object(Host_Scene* scene, Host_Object* object, Host_Object* hint);
void Draw_Object_Subtree(Host_Scene* scene, Host_Object* first, Host_Object* hint);
void Draw_Group(Host_Scene* scene, Host_Object* group, Host_Object* hint);
void Update_Group_Members(Host_Object* first, Host_Scene* scene);
std::int32_t Any_Member_In_View(Host_Scene* scene, Host_Object* first, Host_Object* hint);
void Prepare_Group_Members(Host_Scene* scene, Host_Object* first, Host_Object* hint);
void Set_Up_Member_Faces(Host_Scene* scene, Host_Object* first, Host_Object* hint);

// The host's operation table of an object.
inline Host_Object_Operations& Operations_Of(const Host_Object* object) { return *object->object_class->operations; }

#endif
