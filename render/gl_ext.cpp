#include "render/gl_ext.h"

#include <stdio.h>
#include <string.h>

#include "platform/log.h"

static GlCaps caps;

const GlCaps& gl_caps() { return caps; }

const char* gl_string(GLenum name) {
    const GLubyte* s = glGetString(name);
    return s ? (const char*)s : "NULL";
}

bool gl_extension_listed(const char* extensions, const char* name) {
    size_t n = strlen(name);
    for (const char* p = extensions; p && (p = strstr(p, name)) != nullptr; p += n) {
        bool starts = p == extensions || p[-1] == ' ';
        bool ends = p[n] == ' ' || p[n] == '\0';
        if (starts && ends) return true;
    }
    return false;
}

// Loads one entry point into `slot`; false when the driver lacks it.
template <typename F>
static bool load_entry(GlProcLoader load, F* slot, const char* name) {
    *slot = (F)load(name);
    return *slot != nullptr;
}

static bool load_multitexture(GlProcLoader load) {
    bool ok = true;
    ok &= load_entry(load, &caps.active_texture, "glActiveTextureARB");
    ok &= load_entry(load, &caps.client_active_texture, "glClientActiveTextureARB");
    ok &= load_entry(load, &caps.multi_tex_coord_2f, "glMultiTexCoord2fARB");
    ok &= load_entry(load, &caps.multi_tex_coord_4f, "glMultiTexCoord4fARB");
    return ok;
}

static bool load_framebuffer_object(GlProcLoader load) {
    bool ok = true;
    ok &= load_entry(load, &caps.gen_framebuffers, "glGenFramebuffersEXT");
    ok &= load_entry(load, &caps.delete_framebuffers, "glDeleteFramebuffersEXT");
    ok &= load_entry(load, &caps.bind_framebuffer, "glBindFramebufferEXT");
    ok &= load_entry(load, &caps.framebuffer_texture_2d, "glFramebufferTexture2DEXT");
    ok &= load_entry(load, &caps.check_framebuffer_status, "glCheckFramebufferStatusEXT");
    ok &= load_entry(load, &caps.gen_renderbuffers, "glGenRenderbuffersEXT");
    ok &= load_entry(load, &caps.delete_renderbuffers, "glDeleteRenderbuffersEXT");
    ok &= load_entry(load, &caps.bind_renderbuffer, "glBindRenderbufferEXT");
    ok &= load_entry(load, &caps.renderbuffer_storage, "glRenderbufferStorageEXT");
    ok &= load_entry(load, &caps.framebuffer_renderbuffer, "glFramebufferRenderbufferEXT");
    ok &= load_entry(load, &caps.generate_mipmap, "glGenerateMipmapEXT");
    return ok;
}

static bool load_shader_objects(GlProcLoader load) {
    bool ok = true;
    ok &= load_entry(load, &caps.create_shader_object, "glCreateShaderObjectARB");
    ok &= load_entry(load, &caps.shader_source, "glShaderSourceARB");
    ok &= load_entry(load, &caps.compile_shader, "glCompileShaderARB");
    ok &= load_entry(load, &caps.create_program_object, "glCreateProgramObjectARB");
    ok &= load_entry(load, &caps.attach_object, "glAttachObjectARB");
    ok &= load_entry(load, &caps.link_program, "glLinkProgramARB");
    ok &= load_entry(load, &caps.use_program_object, "glUseProgramObjectARB");
    ok &= load_entry(load, &caps.delete_object, "glDeleteObjectARB");
    ok &= load_entry(load, &caps.get_object_parameter_iv, "glGetObjectParameterivARB");
    ok &= load_entry(load, &caps.get_info_log, "glGetInfoLogARB");
    ok &= load_entry(load, &caps.get_uniform_location, "glGetUniformLocationARB");
    ok &= load_entry(load, &caps.uniform_1i, "glUniform1iARB");
    ok &= load_entry(load, &caps.uniform_1f, "glUniform1fARB");
    ok &= load_entry(load, &caps.uniform_3fv, "glUniform3fvARB");
    ok &= load_entry(load, &caps.uniform_4fv, "glUniform4fvARB");
    ok &= load_entry(load, &caps.uniform_matrix_3fv, "glUniformMatrix3fvARB");
    ok &= load_entry(load, &caps.vertex_attrib_pointer, "glVertexAttribPointerARB");
    ok &= load_entry(load, &caps.enable_vertex_attrib_array, "glEnableVertexAttribArrayARB");
    ok &= load_entry(load, &caps.disable_vertex_attrib_array, "glDisableVertexAttribArrayARB");
    ok &= load_entry(load, &caps.bind_attrib_location, "glBindAttribLocationARB");
    return ok;
}

void detect_gl(GlProcLoader load) {
    caps = GlCaps{};
    if (sscanf(gl_string(GL_VERSION), "%d.%d", &caps.major, &caps.minor) != 2) caps.major = caps.minor = 0;
    const char* extensions = (const char*)glGetString(GL_EXTENSIONS);
    caps.has_generate_mipmap = gl_extension_listed(extensions, "GL_SGIS_generate_mipmap");
    caps.has_framebuffer_object =
        gl_extension_listed(extensions, "GL_EXT_framebuffer_object") && load_framebuffer_object(load);
    caps.has_multitexture = gl_extension_listed(extensions, "GL_ARB_multitexture") && load_multitexture(load);
    caps.has_fragment_shader = gl_extension_listed(extensions, "GL_ARB_fragment_shader");
    caps.has_vertex_shader = gl_extension_listed(extensions, "GL_ARB_vertex_shader");
    caps.has_shader_objects = load_shader_objects(load);
    caps.texture_units = 1;
    if (caps.has_multitexture) {
        GLint units = 1;
        glGetIntegerv(GL_MAX_TEXTURE_UNITS_ARB, &units);
        caps.texture_units = units;
        log("%d texture units\n", units);
    }
}
