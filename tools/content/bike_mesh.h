// Building the bike and rider meshes of the generated content: simple solids
// (boxes, tubes, ellipsoids, tori, flat cards) placed in feet, optionally
// weighted to the rider's nine bones, written as ".jm" text; and ".shp"
// sphere lists. Texture coordinates are given as rectangles of the texture
// picture in pixel-fraction units, top-left origin, as the painters draw.
#pragma once
#include <deque>
#include <string>
#include <vector>

enum { RIDER_BONES = 9 };

struct Vec3 {
    float x, y, z;
};
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }

// A region of the texture picture: x0, y0 top-left, x1, y1 bottom-right, 0..1.
struct UvRect {
    float x0, y0, x1, y1;
};

// Bone weights of one vertex (all zero for rigid models).
struct BoneMix {
    float w[RIDER_BONES];
};
BoneMix bone_only(int bone);
BoneMix bone_blend(int a, int b, float share_of_b);

struct MeshVertex3 {
    Vec3 p, n;
    float u, v;  // picture fractions, top-left origin
    BoneMix bones;
};

constexpr float MESH_MIRROR = -1;  // s of a mirror-like part: reflection strength a, tint r, g, b

// One material: shininess s (or -1 mirror, -2 self-lit), the fourth value
// and the specular or emitted colour.
struct MeshPart {
    float s = 16, a = 1, r = 0.3f, g = 0.3f, b = 0.3f;
    std::vector<MeshVertex3> vertices;
    std::vector<int> triangles;
};

struct MeshModel {
    int bones = 0;  // 0 writes "JM1", RIDER_BONES writes "JM2"
    std::deque<MeshPart> parts;  // parts stay in place as more are added
    MeshPart* part(float s, float r, float g, float b);  // appends a new part
    int triangle_count() const;
};

// Every solid takes a bone mix for each end (`from`, `to`) or one for all.
// Axis-aligned box between two corners; each face maps the whole rectangle.
void mesh_box(MeshPart* m, Vec3 lo, Vec3 hi, UvRect uv, const BoneMix& mix = {});
// Tube from a to b with end radii, `sides` around, `rings` along (>= 2),
// closed with flat caps when `caps`. u runs around, v along.
void mesh_tube(MeshPart* m, Vec3 a, Vec3 b, float ra, float rb, int sides, int rings, bool caps, UvRect uv,
               const BoneMix& from = {}, const BoneMix& to = {});
// Ellipsoid with semi-axes `radii`, latitude bands from y- to y+.
void mesh_ellipsoid(MeshPart* m, Vec3 centre, Vec3 radii, int slices, int stacks, UvRect uv, const BoneMix& mix = {});
// Torus about the x axis through `centre`: u runs around the wheel `repeat`
// times, v around the tube.
void mesh_torus_x(MeshPart* m, Vec3 centre, float major, float tube, int segments, int sides, UvRect uv,
                  float repeat);
// Flat quad with corners in order (counter-clockwise seen from the front),
// mapped to the rectangle; `both_sides` adds the back face.
void mesh_card(MeshPart* m, Vec3 c0, Vec3 c1, Vec3 c2, Vec3 c3, UvRect uv, bool both_sides,
               const BoneMix& mix = {});
// Disc in the plane x = centre.x facing both ways (spokes, hub caps).
void mesh_disc_x(MeshPart* m, Vec3 centre, float radius, int segments, UvRect uv);

// Moves every vertex by -origin (bike coordinates to a body's own).
void mesh_shift(MeshModel* model, Vec3 origin);
// ".jm" text: "JM1", or "JM2" with the bone count and a skeleton name.
std::string jm_text(const MeshModel& model);

struct ShapeBall {
    Vec3 centre;
    float radius, friction, stiffness, damping;
};
std::string shp_text(const std::vector<ShapeBall>& balls);
