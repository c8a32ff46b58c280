// GLSL source texts of the seven programs (GLSL 1.10 with the fixed-function
// built-ins). Model programs share one skinning vertex stage: up to four
// bone weights per vertex in texture unit 2, bone indices in unit 3, the
// tangent in unit 1.
#include "render/shader.h"

#include <stddef.h>

#define HEADER "#define MAX_BONE 32\n"

// Skinning: with nbones == 0 the fixed-function transform; otherwise each
// weight w of bone b adds w * (bone_r[b] * (v - bone_c[b]) + bone_t[b]).
#define SKIN_STAGE                                                                  \
    "uniform int nbones;\n"                                                         \
    "uniform vec3 bone_c[MAX_BONE];\n"                                              \
    "uniform vec3 bone_t[MAX_BONE];\n"                                              \
    "uniform mat3 bone_r[MAX_BONE];\n"                                              \
    "varying vec3 normal;\n"                                                        \
    "varying vec3 viewer;\n"                                                        \
    "void add_bone(float w, float index, inout vec3 p, inout vec3 n, inout vec3 t) {\n" \
    "    int b = int(index);\n"                                                     \
    "    if (w == 0.0 || b < 0 || b >= MAX_BONE) return;\n"                         \
    "    p += w * (bone_r[b] * (gl_Vertex.xyz - bone_c[b]) + bone_t[b]);\n"         \
    "    n += w * (bone_r[b] * gl_Normal);\n"                                       \
    "    t += w * (bone_r[b] * gl_MultiTexCoord1.xyz);\n"                           \
    "}\n"                                                                           \
    "vec3 skin(out vec3 tangent_out) {\n"                                           \
    "    gl_TexCoord[0] = gl_MultiTexCoord0;\n"                                     \
    "    if (nbones == 0) {\n"                                                      \
    "        normal = gl_NormalMatrix * gl_Normal;\n"                               \
    "        tangent_out = gl_NormalMatrix * gl_MultiTexCoord1.xyz;\n"              \
    "        viewer = (gl_ModelViewMatrix * gl_Vertex).xyz;\n"                      \
    "        gl_Position = ftransform();\n"                                         \
    "        return gl_Vertex.xyz;\n"                                               \
    "    }\n"                                                                       \
    "    vec3 p = vec3(0.0), n = vec3(0.0), t = vec3(0.0);\n"                       \
    "    vec4 w = gl_MultiTexCoord2, b = gl_MultiTexCoord3;\n"                      \
    "    add_bone(w.x, b.x, p, n, t);\n"                                            \
    "    add_bone(w.y, b.y, p, n, t);\n"                                            \
    "    add_bone(w.z, b.z, p, n, t);\n"                                            \
    "    add_bone(w.w, b.w, p, n, t);\n"                                            \
    "    normal = normalize(gl_NormalMatrix * n);\n"                                \
    "    tangent_out = normalize(gl_NormalMatrix * t);\n"                           \
    "    viewer = (gl_ModelViewMatrix * vec4(p, 1.0)).xyz;\n"                       \
    "    gl_Position = gl_ModelViewProjectionMatrix * vec4(p, 1.0);\n"              \
    "    return p;\n"                                                               \
    "}\n"

#define LIT_VARYINGS         \
    "varying vec3 light;\n"  \
    "varying vec4 diffuse;\n" \
    "varying vec4 ambient;\n"

// Light direction, diffuse and ambient products of light 0; `model_ambient`
// adds the light-model ambient term.
#define LIT_VALUES(model_ambient)                                                                    \
    "    light = normalize(gl_LightSource[0].position.xyz);\n"                                       \
    "    diffuse = gl_FrontMaterial.diffuse * gl_LightSource[0].diffuse;\n"                          \
    "    ambient = gl_FrontMaterial.ambient * gl_LightSource[0].ambient" model_ambient ";\n"         \
    "    ambient.a = min(ambient.a, 1.0);\n"

#define WITH_MODEL_AMBIENT " + gl_LightModel.ambient * gl_FrontMaterial.ambient"

// Lighting of a fragment with normal n: ndl, rdl, both 0 facing away.
#define LIGHT_TERMS                                                     \
    "    float ndl = dot(n, light);\n"                                  \
    "    float rdl = max(dot(reflect(normalize(viewer), n), light), 0.0);\n" \
    "    if (ndl < 0.0) { ndl = 0.0; rdl = 0.0; }\n"

// Exponential fog on `rgb` by the fragment's eye depth.
#define FOG                                                                                    \
    "    float z = gl_FragCoord.z / gl_FragCoord.w;\n"                                         \
    "    float f = clamp(exp2(-1.4426950408889634 * gl_Fog.density * z), 0.0, 1.0);\n"        \
    "    rgb = mix(gl_Fog.color.rgb, rgb, f);\n"

// The normal of a tangent-space normal map: t made orthogonal to n, b = n x t.
#define MAPPED_NORMAL                                                                      \
    "    vec3 n = normalize(normal);\n"                                                    \
    "    vec3 tn = normalize(tangent - n * dot(n, tangent));\n"                           \
    "    vec3 bn = cross(n, tn);\n"                                                        \
    "    n = normalize(mat3(tn, bn, n) * (texture2D(nmap, gl_TexCoord[0].xy).rgb * 2.0 - 1.0));\n"

static const char* const LIT_VS =
    HEADER SKIN_STAGE LIT_VARYINGS
    "void main() {\n"
    "    vec3 unused;\n"
    "    skin(unused);\n" LIT_VALUES(WITH_MODEL_AMBIENT) "}\n";

static const char* const NORM_LIT_VS =
    HEADER SKIN_STAGE LIT_VARYINGS
    "varying vec3 tangent;\n"
    "void main() {\n"
    "    skin(tangent);\n" LIT_VALUES(WITH_MODEL_AMBIENT) "}\n";

static const char* const ENV_VS =
    HEADER SKIN_STAGE
    "void main() {\n"
    "    vec3 unused;\n"
    "    skin(unused);\n"
    "    gl_FrontColor = gl_Color;\n"
    "}\n";

static const char* const NORM_ENV_VS =
    HEADER SKIN_STAGE
    "varying vec3 tangent;\n"
    "void main() {\n"
    "    skin(tangent);\n"
    "    gl_FrontColor = gl_Color;\n"
    "}\n";

// Textured colour lit by ambient, diffuse and the material's specular term.
#define LIT_COLOUR                                                                   \
    "    vec4 t = texture2D(tex, gl_TexCoord[0].xy);\n"                             \
    "    vec3 rgb = (ambient.rgb + diffuse.rgb * ndl) * t.rgb\n"                    \
    "        + gl_FrontMaterial.specular.rgb * gl_LightSource[0].specular.rgb\n"    \
    "          * pow(rdl, gl_FrontMaterial.shininess);\n" FOG                       \
    "    gl_FragColor = vec4(rgb, ambient.a * t.a);\n"

static const char* const LIT_FS =
    HEADER LIT_VARYINGS
    "uniform sampler2D tex;\n"
    "varying vec3 normal;\n"
    "varying vec3 viewer;\n"
    "void main() {\n"
    "    vec3 n = normalize(normal);\n" LIGHT_TERMS
    LIT_COLOUR "}\n";

static const char* const NORM_LIT_FS =
    HEADER LIT_VARYINGS
    "uniform sampler2D tex;\n"
    "uniform sampler2D nmap;\n"
    "varying vec3 normal;\n"
    "varying vec3 viewer;\n"
    "varying vec3 tangent;\n"
    "void main() {\n" MAPPED_NORMAL LIGHT_TERMS
    LIT_COLOUR "}\n";

// Specular colour and exponent from smap; an exponent of 127.875 or more
// (alpha 1.0) means the material's own shininess.
static const char* const NORM_SPEC_LIT_FS =
    HEADER LIT_VARYINGS
    "uniform sampler2D tex;\n"
    "uniform sampler2D nmap;\n"
    "uniform sampler2D smap;\n"
    "varying vec3 normal;\n"
    "varying vec3 viewer;\n"
    "varying vec3 tangent;\n"
    "void main() {\n" MAPPED_NORMAL LIGHT_TERMS
    "    vec4 t = texture2D(tex, gl_TexCoord[0].xy);\n"
    "    vec4 s = texture2D(smap, gl_TexCoord[0].xy);\n"
    "    float e = s.a * 128.0 + 0.125;\n"
    "    if (e >= 127.875) e = gl_FrontMaterial.shininess;\n"
    "    vec3 rgb = (ambient.rgb + diffuse.rgb * ndl) * t.rgb\n"
    "        + s.rgb * gl_LightSource[0].specular.rgb * pow(rdl, e);\n" FOG
    "    gl_FragColor = vec4(rgb, ambient.a * t.a);\n"
    "}\n";

// Sphere-map lookup of the reflected view direction turned into world space.
#define ENV_LOOKUP                                                                   \
    "    vec3 r = normalize(envmat * reflect(viewer, n));\n"                         \
    "    vec2 tc = 0.5 + normalize(r.xz) * acos(r.y) * 0.15915494309189535;\n"       \
    "    gl_FragColor = texture2D(tex, tc) * gl_Color;\n"

static const char* const ENV_FS =
    HEADER
    "uniform sampler2D tex;\n"
    "uniform mat3 envmat;\n"
    "varying vec3 normal;\n"
    "varying vec3 viewer;\n"
    "void main() {\n"
    "    vec3 n = normalize(normal);\n" ENV_LOOKUP "}\n";

static const char* const NORM_ENV_FS =
    HEADER
    "uniform sampler2D tex;\n"
    "uniform sampler2D nmap;\n"
    "uniform mat3 envmat;\n"
    "varying vec3 normal;\n"
    "varying vec3 viewer;\n"
    "varying vec3 tangent;\n"
    "void main() {\n" MAPPED_NORMAL ENV_LOOKUP "}\n";

// Terrain normal maps store x in red, z in blue and a shading factor in green.
static const char* const TERRAIN_NORMALS_VS =
    HEADER
    "varying vec2 tc;\n"
    "void main() {\n"
    "    vec4 p = gl_TextureMatrix[1] * gl_Vertex;\n"
    "    tc = p.xy / p.w;\n"
    "    gl_TexCoord[0] = gl_MultiTexCoord0;\n"
    "    gl_Position = ftransform();\n"
    "}\n";

// A decal's detail normal (stored x, z, y) turned to screen alignment and set
// into the frame of the base normal under it; nearly flat normals are capped
// at a horizontal length of 126/128 so the shading bytes keep their range.
static const char* const TERRAIN_NORMALS_FS =
    HEADER
    "uniform sampler2D tex;\n"
    "uniform sampler2D base;\n"
    "varying vec2 tc;\n"
    "void main() {\n"
    "    vec4 d = texture2D(tex, gl_TexCoord[0].xy);\n"
    "    vec3 dn = d.rbg * 2.0 - 1.0;\n"
    "    dn.x = -dn.x;\n"
    "    float s = gl_TexCoord[0].s;\n"
    "    vec2 u = vec2(dFdx(s), -dFdy(s));\n"
    "    float ul = length(u);\n"
    "    u = ul > 0.0 ? u / ul : vec2(1.0, 0.0);\n"
    "    dn.xz = vec2(u.x * dn.x - u.y * dn.z, u.y * dn.x + u.x * dn.z);\n"
    "    vec4 bt = texture2D(base, tc);\n"
    "    vec3 bn;\n"
    "    bn.x = bt.r * 2.0 - 1.0;\n"
    "    bn.z = bt.b * 2.0 - 1.0;\n"
    "    bn.y = sqrt(max(1.0 - bn.x * bn.x - bn.z * bn.z, 0.0));\n"
    "    vec3 az = normalize(cross(vec3(1.0, 0.0, 0.0), bn));\n"
    "    vec3 ax = cross(bn, az);\n"
    "    vec3 n = normalize(ax * dn.x + bn * dn.y + az * dn.z);\n"
    "    float h = length(n.xz);\n"
    "    if (h > 126.0 / 128.0) n = vec3(n.x / h * (126.0 / 128.0), 0.0, n.z / h * (126.0 / 128.0));\n"
    "    vec3 stored = (n + 1.0) * 0.5;\n"
    "    gl_FragColor = vec4(stored.x, bt.g, stored.z, d.a);\n"
    "}\n";

static const char* const TERRAIN_VS =
    HEADER LIT_VARYINGS
    "varying vec3 viewer;\n"
    "void main() {\n"
    "    gl_TexCoord[0] = gl_MultiTexCoord0;\n"
    "    viewer = (gl_ModelViewMatrix * gl_Vertex).xyz;\n"
    "    gl_Position = ftransform();\n" LIT_VALUES("") "}\n";

// Lit ground: the normal map's green channel is the stored shading factor L.
static const char* const TERRAIN_FS =
    HEADER LIT_VARYINGS
    "uniform sampler2D tex;\n"
    "uniform sampler2D nmap;\n"
    "uniform sampler2D smap;\n"
    "varying vec3 viewer;\n"
    "void main() {\n"
    "    vec4 m = texture2D(nmap, gl_TexCoord[0].xy);\n"
    "    float shade = m.g;\n"
    "    vec3 n = m.rgb * 2.0 - 1.0;\n"
    "    n.y = sqrt(max(1.0 - n.x * n.x - n.z * n.z, 0.0));\n"
    "    n = normalize(gl_NormalMatrix * n);\n" LIGHT_TERMS
    "    vec4 t = texture2D(tex, gl_TexCoord[0].xy);\n"
    "    vec4 s = texture2D(smap, gl_TexCoord[0].xy);\n"
    "    vec3 rgb = (ambient.rgb + diffuse.rgb * ndl * shade) * t.rgb\n"
    "        + s.r * gl_LightSource[0].specular.rgb * pow(rdl, s.g * 128.0 + 0.125) * shade;\n" FOG
    "    gl_FragColor = vec4(rgb, ambient.a * t.a);\n"
    "}\n";

static const char* const VERTEX_SOURCES[PROGRAM_COUNT] = {
    nullptr, LIT_VS, ENV_VS, NORM_LIT_VS, NORM_ENV_VS, NORM_LIT_VS, TERRAIN_NORMALS_VS, TERRAIN_VS,
};
static const char* const FRAGMENT_SOURCES[PROGRAM_COUNT] = {
    nullptr, LIT_FS, ENV_FS, NORM_LIT_FS, NORM_ENV_FS, NORM_SPEC_LIT_FS, TERRAIN_NORMALS_FS, TERRAIN_FS,
};

const char* shader_vertex_source(int slot) {
    return slot > 0 && slot < PROGRAM_COUNT ? VERTEX_SOURCES[slot] : nullptr;
}

const char* shader_fragment_source(int slot) {
    return slot > 0 && slot < PROGRAM_COUNT ? FRAGMENT_SOURCES[slot] : nullptr;
}
