// What the OpenGL context offers, read once after it exists: version,
// extension flags, texture units, and the extension entry points (obtained by
// name through the platform's loader). Read by the texture, shader, terrain
// and frame code. Main thread, with the context current.
#pragma once
#include <GL/gl.h>
#include <GL/glext.h>

struct GlCaps {
    int major, minor;             // from the version string; 0.0 when it is missing
    bool has_generate_mipmap;     // GL_SGIS_generate_mipmap
    bool has_framebuffer_object;  // GL_EXT_framebuffer_object, with all its entry points
    bool has_multitexture;        // GL_ARB_multitexture, with its entry points
    bool has_fragment_shader;     // GL_ARB_fragment_shader
    bool has_vertex_shader;       // GL_ARB_vertex_shader
    bool has_shader_objects;      // every ARB shader-object and vertex-attribute entry point found
    int texture_units;            // 1 without multitexture

    // ARB multitexture
    PFNGLACTIVETEXTUREARBPROC active_texture;
    PFNGLCLIENTACTIVETEXTUREARBPROC client_active_texture;
    PFNGLMULTITEXCOORD2FARBPROC multi_tex_coord_2f;
    PFNGLMULTITEXCOORD4FARBPROC multi_tex_coord_4f;
    // EXT framebuffer object
    PFNGLGENFRAMEBUFFERSEXTPROC gen_framebuffers;
    PFNGLDELETEFRAMEBUFFERSEXTPROC delete_framebuffers;
    PFNGLBINDFRAMEBUFFEREXTPROC bind_framebuffer;
    PFNGLFRAMEBUFFERTEXTURE2DEXTPROC framebuffer_texture_2d;
    PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC check_framebuffer_status;
    PFNGLGENRENDERBUFFERSEXTPROC gen_renderbuffers;
    PFNGLDELETERENDERBUFFERSEXTPROC delete_renderbuffers;
    PFNGLBINDRENDERBUFFEREXTPROC bind_renderbuffer;
    PFNGLRENDERBUFFERSTORAGEEXTPROC renderbuffer_storage;
    PFNGLFRAMEBUFFERRENDERBUFFEREXTPROC framebuffer_renderbuffer;
    PFNGLGENERATEMIPMAPEXTPROC generate_mipmap;
    // ARB shader objects
    PFNGLCREATESHADEROBJECTARBPROC create_shader_object;
    PFNGLSHADERSOURCEARBPROC shader_source;
    PFNGLCOMPILESHADERARBPROC compile_shader;
    PFNGLCREATEPROGRAMOBJECTARBPROC create_program_object;
    PFNGLATTACHOBJECTARBPROC attach_object;
    PFNGLLINKPROGRAMARBPROC link_program;
    PFNGLUSEPROGRAMOBJECTARBPROC use_program_object;
    PFNGLDELETEOBJECTARBPROC delete_object;
    PFNGLGETOBJECTPARAMETERIVARBPROC get_object_parameter_iv;
    PFNGLGETINFOLOGARBPROC get_info_log;
    PFNGLGETUNIFORMLOCATIONARBPROC get_uniform_location;
    PFNGLUNIFORM1IARBPROC uniform_1i;
    PFNGLUNIFORM1FARBPROC uniform_1f;
    PFNGLUNIFORM3FVARBPROC uniform_3fv;
    PFNGLUNIFORM4FVARBPROC uniform_4fv;
    PFNGLUNIFORMMATRIX3FVARBPROC uniform_matrix_3fv;
    // ARB vertex attributes
    PFNGLVERTEXATTRIBPOINTERARBPROC vertex_attrib_pointer;
    PFNGLENABLEVERTEXATTRIBARRAYARBPROC enable_vertex_attrib_array;
    PFNGLDISABLEVERTEXATTRIBARRAYARBPROC disable_vertex_attrib_array;
    PFNGLBINDATTRIBLOCATIONARBPROC bind_attrib_location;
};

// Entry points by name; the platform's `gl_proc_address` in the program.
typedef void* (*GlProcLoader)(const char* name);

// Fills the capabilities from the current context and logs "%d texture units\n"
// when multitexture is there.
void detect_gl(GlProcLoader load);
const GlCaps& gl_caps();

// The context's version string, or "NULL" when the driver gives none.
const char* gl_string(GLenum name);
// True when `name` is one of the space-separated words of `extensions`.
bool gl_extension_listed(const char* extensions, const char* name);
