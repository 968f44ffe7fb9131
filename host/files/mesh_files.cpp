// OBJ through tinyobjloader, PLY by hand, both into Mesh_Data.
#include "files/mesh_files.h"

#include <tiny_obj_loader.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <system_error>
#include <vector>

#include "files/image_files.h"

namespace quorvel_host {

namespace {

std::string Directory_Of(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

std::uint8_t Channel(float value) {
    if (!(value > 0.0f)) return 0;
    if (value >= 1.0f) return 255;
    return std::uint8_t(value * 255.0f + 0.5f);
}

// Negating z describes the same solid in the host's left-handed axes; it
// does not mirror it, so a face still runs counter-clockwise seen from its
// front, and the host's faces run clockwise: reverse, keeping corner 0.
Mesh_Face To_Host_Winding(Mesh_Face face) {
    std::reverse(face.corners.begin() + 1, face.corners.end());
    return face;
}

Rgb Colour(const float* c) { return {Channel(c[0]), Channel(c[1]), Channel(c[2])}; }

// Refuses a vertex (numbered as its file numbers it) whose coordinates are
// not finite or beyond largest_coordinate: one such vertex would blank or
// collapse the whole mesh once it is centred and scaled.
bool Check_Vertex(const std::string& path, std::uint64_t number, const double (&xyz)[3], std::string& error) {
    for (const double c : xyz) {
        if (std::fabs(c) <= largest_coordinate) continue;
        char text[200];
        std::snprintf(text, sizeof text, ": vertex %llu has coordinates %g %g %g, %s",
                      static_cast<unsigned long long>(number), xyz[0], xyz[1], xyz[2],
                      std::isfinite(c) ? "beyond 1e15" : "not all finite");
        error = path + text;
        return false;
    }
    return true;
}

void Report_Dropped_Faces(const std::string& path, std::size_t bad_index, std::size_t too_few, std::size_t total,
                          Mesh_Load_Report& report) {
    if (bad_index != 0)
        report.warnings.push_back(path + ": " + std::to_string(bad_index) + " of " + std::to_string(total) +
                                  " faces dropped: a corner refers to a vertex the file does not have");
    if (too_few != 0)
        report.warnings.push_back(path + ": " + std::to_string(too_few) + " of " + std::to_string(total) +
                                  " faces dropped: fewer than 3 corners");
}

void Report_Vertex_Colours(const std::string& path, Mesh_Load_Report& report) {
    report.warnings.push_back(path + ": vertex colours are ignored: faces take their material's colour");
}

Material* Default_Material(Scene& scene, const Mesh_Load_Options& options) {
    Material_Settings m;
    m.mode = options.lit ? 1 : 0;
    m.colour = m.diffuse = {190, 190, 190};
    m.ambient = {60, 60, 60};
    m.specular = {200, 200, 200};
    m.shininess = 50;
    m.shininess_strength = 40;
    return &scene.Add_Material(m);
}

// A material of the file; a texture that cannot be read is reported as a
// warning and the material falls back to its colour.
Material* Make_Material(Scene& scene, const tinyobj::material_t& source, const std::string& obj_path,
                        const Mesh_Load_Options& options, Mesh_Load_Report& report) {
    Material_Settings m;
    m.mode = options.lit ? 1 : 0;
    m.colour = m.diffuse = Colour(source.diffuse);
    m.ambient = Colour(source.ambient);
    if (m.ambient == Rgb{})
        m.ambient = {std::uint8_t(m.diffuse.r / 3), std::uint8_t(m.diffuse.g / 3), std::uint8_t(m.diffuse.b / 3)};
    m.specular = Colour(source.specular);
    m.shininess = std::clamp(std::int32_t(source.shininess / 10.0f), 0, 100);
    m.shininess_strength = m.specular == Rgb{} ? 0 : 50;
    if (source.dissolve < 0.99f) m.transparency = 50;
    if (!source.diffuse_texname.empty()) {
        std::string texture = source.diffuse_texname;
        std::replace(texture.begin(), texture.end(), '\\', '/');
        const std::string path = texture.front() == '/' ? texture : Directory_Of(obj_path) + texture;
        Image image;
        std::string error;
        if (Read_Image(path, image, error)) {
            image = Resample_Power_Of_Two(image, options.largest_texture);
            bool holes = false;
            for (const Rgba& p : image.pixels) holes = holes || p.a < 128;
            // Lit faces read palette maps through the shade table; unlit
            // ones draw 16-bit texels.
            m.map = options.lit ? scene.Add_Map(Map::Palette(Quantise(image)))
                                : scene.Add_Map(Map::Texels_16(image, scene.Pixel_Depth()));
            if (holes) m.kind = 1;
            m.tint = {255, 255, 255};
        } else {
            report.warnings.push_back(obj_path + ": material '" + source.name + "': texture " + error +
                                      "; drawn in its colour");
        }
    }
    return &scene.Add_Material(m);
}

bool Load_Obj(Scene& scene, const std::string& path, const Mesh_Load_Options& options, Mesh_Data& mesh,
              Mesh_Load_Report& report, std::string& error) {
    tinyobj::ObjReaderConfig config;
    config.triangulate = false;
    config.vertex_color = false;
    config.mtl_search_path = Directory_Of(path);
    tinyobj::ObjReader reader;
    if (!reader.ParseFromFile(path, config)) {
        std::string reason = reader.Error();
        while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
        std::replace(reason.begin(), reason.end(), '\n', ' ');
        error = path + ": " + (reason.empty() ? "not a readable OBJ file" : reason);
        return false;
    }
    const tinyobj::attrib_t& attrib = reader.GetAttrib();
    for (std::size_t i = 0; i + 2 < attrib.vertices.size(); i += 3) {
        const double xyz[3] = {attrib.vertices[i], attrib.vertices[i + 1], attrib.vertices[i + 2]};
        if (!Check_Vertex(path, i / 3 + 1, xyz, error)) return false;  // OBJ counts vertices from 1
    }
    std::istringstream reader_warnings(reader.Warning());
    for (std::string line; std::getline(reader_warnings, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        // The reader ends some messages with a lone "." on the next line.
        if (line == "." && !report.warnings.empty())
            report.warnings.back() += line;
        else if (!line.empty())
            report.warnings.push_back(path + ": " + line);
    }
    // The reader keeps colours only when every vertex has them.
    if (!attrib.colors.empty()) Report_Vertex_Colours(path, report);
    std::vector<Material*> materials;
    for (const tinyobj::material_t& m : reader.GetMaterials())
        materials.push_back(Make_Material(scene, m, path, options, report));
    Material* fallback = nullptr;
    std::size_t file_face = 0, bad_index = 0, too_few = 0;

    // One host vertex per (position, normal) pair: lighting reads one normal
    // per vertex, and hard edges in the file need separate ones.
    std::map<std::pair<int, int>, std::uint32_t> vertex_of;
    mesh = Mesh_Data{};
    bool any_normals = !attrib.normals.empty();
    for (const tinyobj::shape_t& shape : reader.GetShapes()) {
        std::size_t offset = 0;
        for (std::size_t f = 0; f < shape.mesh.num_face_vertices.size(); ++f, ++file_face) {
            const std::size_t count = shape.mesh.num_face_vertices[f];
            const auto corners = shape.mesh.indices.begin() + std::ptrdiff_t(offset);
            const bool indices_valid =
                std::all_of(corners, corners + std::ptrdiff_t(count), [&](const tinyobj::index_t& index) {
                    return index.vertex_index >= 0 && std::size_t(index.vertex_index) * 3 + 2 < attrib.vertices.size();
                });
            if (!indices_valid || count < 3) {
                ++(indices_valid ? too_few : bad_index);
                offset += count;
                continue;
            }
            Mesh_Face face;
            const int material_id = f < shape.mesh.material_ids.size() ? shape.mesh.material_ids[f] : -1;
            if (material_id >= 0 && std::size_t(material_id) < materials.size())
                face.material = materials[std::size_t(material_id)];
            else {
                if (fallback == nullptr) fallback = Default_Material(scene, options);
                face.material = fallback;
            }
            for (std::size_t c = 0; c < count; ++c) {
                const tinyobj::index_t& index = shape.mesh.indices[offset + c];
                const int normal =
                    index.normal_index >= 0 && std::size_t(index.normal_index) * 3 + 2 < attrib.normals.size()
                        ? index.normal_index
                        : -1;
                auto [it, added] =
                    vertex_of.try_emplace({index.vertex_index, normal}, std::uint32_t(mesh.positions.size()));
                if (added) {
                    const float* p = &attrib.vertices[std::size_t(index.vertex_index) * 3];
                    mesh.positions.push_back({p[0], p[1], -p[2]});
                    if (normal >= 0) {
                        const float* n = &attrib.normals[std::size_t(normal) * 3];
                        mesh.normals.push_back({n[0], n[1], -n[2]});
                    } else {
                        mesh.normals.push_back({});
                        any_normals = false;
                    }
                }
                Mesh_Corner corner{it->second, 0.0f, 0.0f};
                if (index.texcoord_index >= 0 && std::size_t(index.texcoord_index) * 2 + 1 < attrib.texcoords.size()) {
                    corner.u = attrib.texcoords[std::size_t(index.texcoord_index) * 2];
                    corner.v =
                        1.0f - attrib.texcoords[std::size_t(index.texcoord_index) * 2 + 1];  // images run top down
                }
                face.corners.push_back(corner);
            }
            offset += count;
            mesh.faces.push_back(To_Host_Winding(std::move(face)));
            report.file_faces.push_back(std::uint32_t(file_face));
        }
    }
    Report_Dropped_Faces(path, bad_index, too_few, file_face, report);
    // Normals only when every vertex has one; otherwise the mesh averages them.
    if (!any_normals) mesh.normals.clear();
    if (mesh.faces.empty()) {
        error = path + ": no faces";
        return false;
    }
    return true;
}

// --- PLY ----------------------------------------------------------------

enum class Ply_Format { Ascii, Little, Big };

struct Ply_Property {
    std::string name, type, count_type;  // count_type set for lists
};

struct Ply_Element {
    std::string name;
    std::uint64_t count = 0;
    std::vector<Ply_Property> properties;
};

std::size_t Type_Size(const std::string& type) {
    if (type == "char" || type == "uchar" || type == "int8" || type == "uint8") return 1;
    if (type == "short" || type == "ushort" || type == "int16" || type == "uint16") return 2;
    if (type == "int" || type == "uint" || type == "int32" || type == "uint32" || type == "float" || type == "float32")
        return 4;
    if (type == "double" || type == "float64") return 8;
    return 0;
}

class Ply_Reader {
public:
    Ply_Reader(std::istream& in, Ply_Format format) : in_(in), format_(format) {}

    bool Read(const std::string& type, double& value) {
        if (format_ == Ply_Format::Ascii) {
            // strtod, not >>, so that nan and inf are read and then refused
            // by name rather than taken for the end of the data.
            std::string word;
            if (!(in_ >> word)) return false;
            char* end = nullptr;
            value = std::strtod(word.c_str(), &end);
            return end != word.c_str() && *end == '\0';
        }
        unsigned char bytes[8];
        const std::size_t size = Type_Size(type);
        if (!in_.read(reinterpret_cast<char*>(bytes), std::streamsize(size))) return false;
        if (format_ == Ply_Format::Big) std::reverse(bytes, bytes + size);
        const auto as = [&bytes](auto sample) {
            std::memcpy(&sample, bytes, sizeof sample);
            return double(sample);
        };
        if (type == "char" || type == "int8")
            value = as(std::int8_t{});
        else if (type == "uchar" || type == "uint8")
            value = as(std::uint8_t{});
        else if (type == "short" || type == "int16")
            value = as(std::int16_t{});
        else if (type == "ushort" || type == "uint16")
            value = as(std::uint16_t{});
        else if (type == "int" || type == "int32")
            value = as(std::int32_t{});
        else if (type == "uint" || type == "uint32")
            value = as(std::uint32_t{});
        else if (type == "float" || type == "float32")
            value = as(float{});
        else
            value = as(double{});
        return true;
    }

private:
    std::istream& in_;
    Ply_Format format_;
};

bool Load_Ply(Scene& scene, const std::string& path, const Mesh_Load_Options& options, Mesh_Data& mesh,
              Mesh_Load_Report& report, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot open";
        return false;
    }
    std::string line;
    if (!std::getline(in, line) || line.rfind("ply", 0) != 0) {
        error = path + ": not a PLY file";
        return false;
    }
    Ply_Format format = Ply_Format::Ascii;
    std::vector<Ply_Element> elements;
    bool header_ended = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        std::string word;
        words >> word;
        if (word == "format") {
            std::string name;
            words >> name;
            if (name == "ascii")
                format = Ply_Format::Ascii;
            else if (name == "binary_little_endian")
                format = Ply_Format::Little;
            else if (name == "binary_big_endian")
                format = Ply_Format::Big;
            else {
                error = path + ": unknown PLY format '" + name + "'";
                return false;
            }
        } else if (word == "element") {
            Ply_Element element;
            words >> element.name >> element.count;
            elements.push_back(element);
        } else if (word == "property") {
            if (elements.empty()) {
                error = path + ": property before any element";
                return false;
            }
            Ply_Property property;
            std::string type;
            words >> type;
            if (type == "list")
                words >> property.count_type >> property.type >> property.name;
            else {
                property.type = type;
                words >> property.name;
            }
            if (Type_Size(property.type) == 0 ||
                (!property.count_type.empty() && Type_Size(property.count_type) == 0)) {
                error = path + ": unknown PLY type in '" + line + "'";
                return false;
            }
            elements.back().properties.push_back(property);
        } else if (word == "end_header") {
            header_ended = true;
            break;
        }
    }
    if (!header_ended) {
        error = path + ": PLY header has no end_header";
        return false;
    }

    Material* material = Default_Material(scene, options);
    Ply_Reader reader(in, format);
    mesh = Mesh_Data{};
    bool has_normals = false;
    std::vector<Corner_Uv> vertex_uvs;  // PLY carries u, v per vertex; corners take their vertex's
    std::size_t face_total = 0, bad_index = 0, too_few = 0;
    for (const Ply_Element& element : elements) {
        const bool vertices = element.name == "vertex", faces = element.name == "face";
        if (vertices) {
            bool colours = false;
            for (const Ply_Property& p : element.properties) {
                has_normals = has_normals || p.name == "nx";
                colours = colours || p.name == "red" || p.name == "diffuse_red";
            }
            if (colours) Report_Vertex_Colours(path, report);
        }
        for (std::uint64_t i = 0; i < element.count; ++i) {
            Vec3 position, normal;
            double xyz[3] = {0.0, 0.0, 0.0};  // as the file has them, for the check
            float u = 0.0f, v = 0.0f;
            Mesh_Face face{{}, material};
            std::vector<double> indices;
            for (const Ply_Property& p : element.properties) {
                double value = 0.0;
                if (!p.count_type.empty()) {
                    double count = 0.0;
                    if (!reader.Read(p.count_type, count) || count < 0.0 || count > 1e6) {
                        error = path + ": PLY data ends early or a list is malformed";
                        return false;
                    }
                    for (std::uint32_t k = 0; k < std::uint32_t(count); ++k) {
                        if (!reader.Read(p.type, value)) {
                            error = path + ": PLY data ends early";
                            return false;
                        }
                        if (faces && (p.name == "vertex_indices" || p.name == "vertex_index")) indices.push_back(value);
                    }
                    continue;
                }
                if (!reader.Read(p.type, value)) {
                    error = path + ": PLY data ends early";
                    return false;
                }
                const float f = float(value);
                if (p.name == "x")
                    position.x = f, xyz[0] = value;
                else if (p.name == "y")
                    position.y = f, xyz[1] = value;
                else if (p.name == "z")
                    position.z = -f, xyz[2] = value;
                else if (p.name == "nx")
                    normal.x = f;
                else if (p.name == "ny")
                    normal.y = f;
                else if (p.name == "nz")
                    normal.z = -f;
                else if (p.name == "u" || p.name == "s" || p.name == "texture_u")
                    u = f;
                else if (p.name == "v" || p.name == "t" || p.name == "texture_v")
                    v = 1.0f - f;
            }
            if (vertices) {
                if (!Check_Vertex(path, i, xyz, error)) return false;  // PLY counts vertices from 0
                mesh.positions.push_back(position);
                if (has_normals) mesh.normals.push_back(normal);
                vertex_uvs.push_back({u, v});
            }
            if (faces) {
                ++face_total;
                const bool indices_valid = std::all_of(indices.begin(), indices.end(), [&](double index) {
                    return index >= 0.0 && index < double(mesh.positions.size()) && index == std::floor(index);
                });
                if (!indices_valid || indices.size() < 3) {
                    ++(indices_valid ? too_few : bad_index);
                    continue;
                }
                for (double index : indices) {
                    const std::uint32_t k = std::uint32_t(index);
                    face.corners.push_back({k, vertex_uvs[k].u, vertex_uvs[k].v});
                }
                mesh.faces.push_back(To_Host_Winding(std::move(face)));
                report.file_faces.push_back(std::uint32_t(i));
            }
        }
    }
    Report_Dropped_Faces(path, bad_index, too_few, face_total, report);
    if (mesh.faces.empty()) {
        error = path + ": no faces";
        return false;
    }
    return true;
}

// The library fills only faces that run counter-clockwise on the screen, so
// a face seen from behind draws nothing. Each face gets a twin wound the
// other way, on its own copies of the vertices (normals reversed), so that
// normals averaged over a vertex's faces do not cancel out.
void Add_Back_Faces(Mesh_Data& mesh, Mesh_Load_Report& report) {
    const std::uint32_t vertex_count = std::uint32_t(mesh.positions.size());
    mesh.positions.reserve(2 * mesh.positions.size());
    for (std::uint32_t i = 0; i < vertex_count; ++i) mesh.positions.push_back(mesh.positions[i]);
    const std::size_t normal_count = mesh.normals.size();
    mesh.normals.reserve(2 * normal_count);
    for (std::size_t i = 0; i < normal_count; ++i) mesh.normals.push_back(-mesh.normals[i]);
    const std::size_t face_count = mesh.faces.size();
    for (std::size_t f = 0; f < face_count; ++f) {
        Mesh_Face twin = To_Host_Winding(mesh.faces[f]);
        for (Mesh_Corner& corner : twin.corners) corner.vertex += vertex_count;
        mesh.faces.push_back(std::move(twin));
        report.file_faces.push_back(report.file_faces[f]);
    }
}

}  // namespace

bool Load_Mesh_File(Scene& scene, const std::string& path, const Mesh_Load_Options& options, Mesh_Data& mesh,
                    Mesh_Load_Report& report, std::string& error) {
    report = Mesh_Load_Report{};
    std::error_code code;
    if (std::filesystem::is_directory(path, code)) {
        error = path + ": is a directory, not a mesh file";
        return false;
    }
    std::ifstream probe(path);
    if (!probe) {
        error = path + ": cannot open";
        return false;
    }
    const std::string extension = Lower_Extension(path);
    bool loaded = false;
    if (extension == "obj")
        loaded = Load_Obj(scene, path, options, mesh, report, error);
    else if (extension == "ply")
        loaded = Load_Ply(scene, path, options, mesh, report, error);
    else
        error = path + ": unknown mesh format (expected .obj or .ply)";
    if (loaded && options.two_sided) Add_Back_Faces(mesh, report);
    return loaded;
}

}  // namespace quorvel_host
