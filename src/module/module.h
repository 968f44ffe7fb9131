// The top layer: the exports and the frame driver, with what they alone use:
// render-state selection, the dispatch rows' contents and the shade tables.
#ifndef QUORVEL_MODULE_H
#define QUORVEL_MODULE_H

#include <cstdint>
#include <vector>

#include "base/base.h"
#include "quorvel/host_records.h"

struct Module_State {
    // Tables built with the mapped layout (64 x 256 entries), sorted. The host
    // sees only the table pointer, so its size is remembered here: a refill
    // that needs the other layout must know the table will not hold it.
    std::vector<const std::uint32_t*> mapped_shade_tables;
};
extern Module_State module_state;

std::int32_t Build_Shade_Table(Host_Material* material);
void Fill_Shade_Table(Host_Material* material);
// True when the material's flags ask for the mapped layout and it has a map,
// an image and a palette to fill it from; otherwise the 64-entry layout.
bool Shade_Layout_Is_Mapped(const Host_Material* material);
bool Shade_Table_Is_Mapped(const std::uint32_t* table);
// Replaces the material's table by a new one of the given layout and fills
// it; on failure the old table stays as it was and the result is false.
bool Replace_Shade_Table(Host_Material* material, bool mapped);
// Quorvel_Update_Material_Dll: refills the table in place and never
// allocates; a layout longer than the table is left to the next selection.
void Refill_Shade_Table(Host_Material* material);
// Quorvel_Release_Material_Dll: gives the table back to the host.
void Release_Shade_Table(Host_Material* material);

// Render-state selection behind Quorvel_Set_Material_Render_State_Dll.
std::int32_t Select_Render_State(Host_Material* material, std::int32_t mode, std::uint32_t flags);

// Fills words 1..8 of every row (Quorvel_Init_Render_Dll).
void Fill_Dispatch_Rows();
// The row's filler reads the map's image (and, for palette images, the palette).
bool Row_Reads_Map(Row_Id row);
// The same for a row of the table; false for any other pointer.
bool Row_Reads_Map(const Dispatch_Row* row);
// True when the row reads no map, or the material's map has an image of the
// kind the row reads (palette indices or 16-bit texels).
bool Map_Fits_Row(const Host_Material* material, const Dispatch_Row* row);
// The row's filler indexes the shade table by level x 256 + palette index.
bool Row_Reads_Mapped_Shades(Row_Id row);

// Everything Quorvel_Render_Dll does after the face lists are filled: the
// edge stage, the scan pass, the background clear and the fillers. Returns 0
// for a viewport Read_Scan_Bounds refuses, 2 when the edge pool could not
// grow, else the overlay count.
std::int32_t Draw_Face_Lists(Host_Scene* scene, std::uint16_t* frame_buffer, std::uint32_t pass_through,
                             std::uint32_t flags);

#endif
