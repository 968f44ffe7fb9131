// A whole host built from raw bytes: services, vertex arrays, images, maps,
// materials, an object hierarchy with its operation tables, faces, a camera
// and a program of export calls, all through the public headers. Every
// export's result is checked against the documented behaviour, every frame
// is drawn inside a guard band, and every block the host gives out must come
// back exactly once. The fuzz target, the corpus replay and the
// allocation-failure campaign all drive the library through this host.
#ifndef QUORVEL_TESTS_FUZZ_RAW_SCENE_H
#define QUORVEL_TESTS_FUZZ_RAW_SCENE_H

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "quorvel/host_records.h"
#include "support/failing_memory.h"

namespace quorvel_fuzz {

// Header bits of an input's first byte.
enum : std::uint8_t {
    Input_Depth_15 = 0x01,         // pixel depth 15 (else 16)
    Input_Breaks_Contract = 0x02,  // callbacks change records mid-call, indices reach unfilled vertices
    Input_Host_Retries = 0x04,     // a failed Add or Set is called again until it succeeds
    Input_Own_Camera = 0x08,       // camera words from the input instead of from the viewport
};

// The operations of an input's program, one byte each (modulo their count).
enum Operation : std::uint8_t {
    Op_Render,
    Op_Pick,
    Op_Set_State,
    Op_Recolour,
    Op_Update,
    Op_Release_Scene,
    Op_Viewport,
    Op_Move_Vertex,
    Op_Drop_Camera,
    Op_Change_Map,
    Op_Empty_Exports,
    Op_Change_Material,
    Op_Readd_Face,
    Op_Count
};

// Mid-call changes an object's op9 makes in contract-breaking inputs.
enum Mutation : std::uint8_t {
    Mutation_None,
    Mutation_Viewport,
    Mutation_No_Map,
    Mutation_No_Image,
    Mutation_No_Palette,
    Mutation_Vertices,
    Mutation_Count
};

// Values an input byte chooses from (modulo the table's length).
inline constexpr std::int32_t pitches[] = {64, 100, 37, 1, 0, 128, 333, 512};
inline constexpr std::int32_t modes[] = {0, 1, 2, 0, 1, 2, -1, 7};
inline constexpr std::int32_t percents[] = {0, 50, 100, 30, -40, 250, 2000000000, 75};
inline constexpr std::int32_t transparencies[] = {0, 50, 30, 0};
inline constexpr std::int32_t kinds[] = {0, 1, 2, 10, 11, 5, 0, 0};
inline constexpr std::uint32_t flag_arguments[] = {Flags_From_Material,
                                                   Keep_Flags,
                                                   Flags_From_Material | Keep_Flags,
                                                   0x000,
                                                   0x001,
                                                   0x003,
                                                   0x004,
                                                   0x005,
                                                   0x007,
                                                   0x041,
                                                   0x101,
                                                   0x201,
                                                   0x008,
                                                   0x010,
                                                   0x002,
                                                   0x009};

// What one export call gave back; the campaign compares runs by these.
struct Event {
    Operation operation;
    std::int64_t result;
    std::uint64_t frame_hash;  // Op_Render: the whole frame buffer, guard band included
    bool memory_failed;        // an allocate or reallocate was refused during the call
    bool drew_nothing;         // Op_Render: the buffer is as it was before the call
};

// Reads an input front to back; past its end every read gives zero.
class Byte_Reader {
public:
    Byte_Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Empty() const { return at_ >= size_; }
    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::uint16_t Word() { return std::uint16_t(Byte() | Byte() << 8); }
    std::uint32_t Dword() { return Word() | std::uint32_t(Word()) << 16; }
    float Float();       // small values, edge values (NaN, +-inf, denormals, 1e30) or raw bits
    float Coordinate();  // screen positions and viewport bounds: mostly 0..100, some limits

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

class Raw_Scene {
public:
    Raw_Scene(const std::uint8_t* data, std::size_t size, bool describe = false);
    ~Raw_Scene();
    Raw_Scene(const Raw_Scene&) = delete;
    Raw_Scene& operator=(const Raw_Scene&) = delete;

    // Runs the program, then releases every face and material and the scene.
    void Run();

    const std::vector<std::string>& Failures() const { return failures_; }
    const std::vector<Event>& Events() const { return events_; }
    const std::string& Description() const { return description_; }
    quorvel_test::Failing_Memory& Memory() const { return quorvel_test::Failing_Memory::Books(); }

    struct Image;
    struct Map;
    struct Material;
    struct Face;
    struct Object;
    struct Viewport {
        float left, top, right, bottom;
    };

private:
    void Decode_Scene();
    void Add_Materials_And_Faces();
    void Step();
    void Render(std::uint32_t flags);
    void Pick(float x, float y);
    std::int32_t Set_State(Material& material);
    void Use_Viewport(const Viewport& viewport);
    void Check(bool holds, const std::string& what);
    void Note(const std::string& line);
    void Restore_Mutations();
    std::size_t Overlay_Candidates() const;
    static void QUORVEL_CDECL Prepare_Camera(void* camera_object, Host_Scene* scene);
    friend struct Callbacks;

    Byte_Reader input_;
    bool describe_;
    std::uint8_t header_ = 0;
    bool breaks_contract_ = false;
    std::vector<std::string> failures_;
    std::vector<Event> events_;
    std::string description_;

    Host_Services* services_ = nullptr;
    std::vector<Camera_Vertex> camera_vertices_;
    std::vector<Projected_Vertex> projected_vertices_;
    std::vector<Vertex_Light> vertex_lights_;
    std::vector<std::uint32_t> vertex_outcodes_, vertex_stamps_;
    std::vector<Camera_Vertex> mesh_;  // the vertices the host fills, before placement
    std::vector<int> lies_;            // per vertex: the outcode it lies with, or -1
    std::uint32_t Honest_Outcode(const Camera_Vertex& v) const;
    std::vector<Camera_Vertex> saved_vertices_;  // as they were before an op9 scrambled them
    std::vector<std::uint32_t> saved_outcodes_;
    std::uint32_t vertex_count_ = 0;

    Host_Camera camera_{};
    Camera_Operations camera_operations_{};
    Host_Camera_Object camera_object_{};
    Host_Scene scene_{};
    std::vector<Viewport> viewports_;
    std::vector<std::uint16_t> frame_;    // the frame buffer inside its guard band
    std::vector<std::uint16_t> pattern_;  // what it holds before each frame
    std::ptrdiff_t frame_origin_ = 0;     // index of pixel (0, 0)
    std::int32_t frame_rows_ = 0;         // lines the largest valid viewport reaches

    std::deque<Image> images_;
    std::deque<Map> maps_;
    std::deque<Material> materials_;
    std::deque<Object> objects_;
    std::deque<Face> faces_;
    std::vector<const Dispatch_Row*> rows_seen_;  // by expected row, learnt on first sight
    std::size_t accepted_overlays_ = 0;           // square-overlay faces the face test let through this call
    bool mutated_ = false;
    std::uint32_t pending_drop_ = 0;  // Op_Drop_Camera: 1 camera object, 2 camera record
    int operations_ = 0;
};

}  // namespace quorvel_fuzz

#endif
