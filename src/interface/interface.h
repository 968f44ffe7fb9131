// What the module interface offers its neighbours: the services pointer, the
// nineteen dispatch rows, render-state selection and the shade tables.
#ifndef QUORVEL_INTERFACE_H
#define QUORVEL_INTERFACE_H

#include <cstdint>
#include <vector>

#include "quorvel/host_records.h"

enum Row_Id : int {
    Row_Random,
    Row_Random_Blend,
    Row_Flat,
    Row_Flat_Blend,
    Row_Mapped,
    Row_Mapped_Palette,
    Row_Mapped_Blend,
    Row_Mapped_Keyed,
    Row_Mapped_Keyed_Blend,
    Row_Mapped_Additive,
    Row_Square,
    Row_Square_Overlay,
    Row_Gouraud,
    Row_Gouraud_Blend,
    Row_Gouraud_Mapped,
    Row_Gouraud_Mapped_Blend,
    Row_Gouraud_Mapped_Keyed,
    Row_Gouraud_Mapped_Keyed_Blend,
    Row_Gouraud_Mapped_Additive,
    Row_Count
};

struct Interface_State {
    Host_Services* services = nullptr;  // set by Quorvel_Init_Render_Dll, never cleared
    Dispatch_Row rows[Row_Count] = {};
    // Tables built with the mapped layout (64 x 256 entries), sorted. The host
    // sees only the table pointer, so its size is remembered here: a refill
    // that needs the other layout must know the table will not hold it.
    std::vector<const std::uint32_t*> mapped_shade_tables;
};
extern Interface_State interface_state;

inline Host_Services& Services() { return *interface_state.services; }

// The frame buffer's format: 555 only for depth 15, 565 for every other value.
inline bool Pixel_Format_Is_555() { return interface_state.services->pixel_depth == 15; }

// Rows are shared module-wide; a material points at one of them.
inline const Dispatch_Row* Row(Row_Id id) { return &interface_state.rows[id]; }
inline const Dispatch_Row& Row_Of(const Host_Material* material) { return *material->render_data->row; }

// Shade tables: 64 entries (unmapped) or 64 x 256 (mapped), each pixel << 16.
constexpr std::uint32_t shade_levels = 64;
constexpr std::uint32_t shade_table_mapped_entries = 64 * 256;
constexpr std::uint32_t shade_table_brightest_row = 63 * 256;
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

// True for the rows whose fillers read the material's map and image.
bool Row_Reads_Map(const Dispatch_Row* row);

// Render-state selection behind Quorvel_Set_Material_Render_State_Dll.
std::int32_t Select_Render_State(Host_Material* material, std::int32_t mode, std::uint32_t flags);

// Fills words 1..8 of every row (Quorvel_Init_Render_Dll).
void Fill_Dispatch_Rows();

#endif
