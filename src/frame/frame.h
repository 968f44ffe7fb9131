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
    // Edges starting on each line while they are counted, then the next free
    // record of the line's run in the edge pool while they are filed.
    std::int32_t line_edges[max_scan_lines];
};
extern Frame_State frame_state;

// The lines and columns one frame's span buffer covers, from the scene's
// viewport: lines first_line .. end_line - 1, columns first_column ..
// end_column - 1. Spans are clipped to these columns when they are emitted.
struct Scan_Bounds {
    float        top;           // clip_top itself: the depth walk's y keeps its fraction
    std::int32_t first_line;    // trunc(clip_top)
    std::int32_t end_line;      // trunc(clip_bottom)
    std::int32_t first_column;  // trunc(clip_left)
    std::int32_t end_column;    // trunc(clip_right)
};
// The scene's viewport as scan bounds; false (and nothing may be drawn) unless
// every bound is finite, 0 <= clip_top <= clip_bottom <= 4096 and
// 0 <= clip_left <= clip_right <= min(|pitch|, 32767): the per-line tables
// hold 4096 lines, 16.16 positions reach column 32767, and a row of the frame
// buffer holds |pitch| pixels.
bool Read_Scan_Bounds(const Host_Scene& scene, Scan_Bounds& bounds);

// The frame's sentinel edges and surfaces (built afresh for every frame).
struct Scan_Sentinels {
    Edge          left;
    Edge          right;
    Prepared_Face stack_end;
    Prepared_Face background;  // its spans are the pixels no opaque face covers
};
void Build_Sentinels(Scan_Sentinels& sentinels);

// Empties the new-edge and remove-edge entries and the edge counts of the
// lines the scan covers.
void Reset_Edge_Tables(const Scan_Bounds& bounds, Edge* right_sentinel);

// What counting a frame's edges tells the edge stage.
struct Edge_Tally {
    std::int64_t filed = 0;            // edges the faces file
    std::int64_t before_last_side = -1;  // edges filed before the last side is looked at; -1: no side
};

// Counts the edges the face will file, per starting line and in the tally.
// Edges are cut to the lines of `bounds`. A record with more than 16
// vertices has no sides.
void Count_Face_Edges(const Prepared_Face& face, const Scan_Bounds& bounds, Edge_Tally& tally);

// Grows the edge pool until the counted edges fit, one step of 4096 records
// per reallocate, exactly as far as filing the faces with a check of the
// pool before every side would: a frame whose pool was full before its last
// side grows. Then gives every line its run of records. False when the pool
// could not grow (it keeps its block and capacity).
bool Reserve_Edge_Runs(const Scan_Bounds& bounds, const Edge_Tally& tally);

// Files the face's edges in the runs of their first lines, each at the head
// of its line's list. Count_Face_Edges and Reserve_Edge_Runs must have seen
// the same faces in the same order.
void Add_Face_Edges(Prepared_Face& face, const Scan_Bounds& bounds);

// Sorts every line's list of new edges by x. Equal x keep their list order,
// which is the reverse of filing: the later face's edge goes first.
void Sort_New_Edges(const Scan_Bounds& bounds, Edge* right_sentinel);

// The whole edge stage for the faces in the opaque and translucent lists,
// in that order: afterwards every line's new edges are in order of x, equal x
// filed later first. False when the edge pool could not grow.
bool File_Frame_Edges(const Scan_Bounds& bounds, Edge* right_sentinel);

// The scan-line pass: gives every face entered in the tables its span chain.
// The span pool's count must be 0 (or the start of this frame's spans).
void Scan_Spans(const Scan_Bounds& bounds, Edge* new_edge_table, Edge** remove_edge_table, Edge* left_sentinel,
                Edge* right_sentinel, Prepared_Face* stack_end, Prepared_Face* background);

// Orders a non-empty list by sort_depth into the Face_Index_Array.
void Sort_Translucent_Faces(const Prepared_Face* list, std::int32_t count);

// Frees the span and edge pools and resets them to empty.
void Release_Span_Buffer();

// Everything Quorvel_Render_Dll does after the face lists are filled: the
// edge stage, the scan pass, the background clear and the fillers. Returns 0
// for a viewport Read_Scan_Bounds refuses, 2 when the edge pool could not
// grow, else the overlay count.
std::int32_t Draw_Face_Lists(Host_Scene* scene, std::uint16_t* frame_buffer, std::uint32_t pass_through,
                             std::uint32_t flags);

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

// The host operations that come before an object is known to be in view,
// shared by drawing and picking. For an ordinary object: op3, op5, op4 with
// the source's value, op6; returns the source (the caller tests in_view).
// For a group: op3, op4 with its own value, the members' op3/op4, op5 (the
// hint standing in when op5 returns the group itself), op6, and the in_view
// inherited from its members; returns the source, or null when neither the
// group nor any member is in view.
Host_Object* Ordinary_Object_Source(Host_Scene* scene, Host_Object* object);
Host_Object* Group_Source_In_View(Host_Scene* scene, Host_Object* group, Host_Object* hint);

// Object kinds, from the object's own fields (picking uses the same ones).
inline bool Is_Group_Object(const Host_Object* object) { return object->info->is_group != 0; }
inline bool Is_Group_Member(const Host_Object* object) {
    return object->info->is_group == 0 && object->group_member != 0;
}

// The member walk of a group, shared by traversal and picking: visits the
// members of a child list depth first (a member before its children, its
// children before its following siblings), passing over a non-member with
// its whole subtree. The hint advances with the object along next_sibling;
// a null hint stands for the object itself. visit(member, hint) returns true
// to end the whole walk; Walk_Members then returns true as well.
template <class Visit>
bool Walk_Members(Host_Object* first, Host_Object* hint, Visit& visit) {
    Host_Object* next_hint = hint;
    for (Host_Object* object = first; object != nullptr; object = object->next_sibling) {
        Host_Object* source = next_hint != nullptr ? next_hint : object;
        if (Is_Group_Member(object)) {
            if (visit(object, source)) return true;
            if (Walk_Members(object->first_child, source->first_child, visit)) return true;
        }
        next_hint = source->next_sibling;
    }
    return false;
}

#endif
