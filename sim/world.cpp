#include "sim/world.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "platform/log.h"

static void log_physics_message(const char* kind, int num, const char* msg, va_list ap)
{
    char text[1024];
    vsnprintf(text, sizeof text, msg, ap);
    log("Physics library %s %d: %s\n", kind, num, text);
}

// The library expects these two never to return.
[[noreturn]] static void physics_error(int num, const char* msg, va_list ap)
{
    log_physics_message("error", num, msg, ap);
    abort();
}

[[noreturn]] static void physics_debug(int num, const char* msg, va_list ap)
{
    log_physics_message("internal error", num, msg, ap);
    abort();
}

static void physics_message(int num, const char* msg, va_list ap) { log_physics_message("message", num, msg, ap); }

bool physics_world_create(physics_world* w)
{
    memset(w, 0, sizeof *w);
    dSetErrorHandler(physics_error);
    dSetDebugHandler(physics_debug);
    dSetMessageHandler(physics_message);
    if (!dInitODE2(0)) {
        log("Can't initialise the physics library\n");
        return false;
    }
    w->world = dWorldCreate();
    dWorldSetGravity(w->world, 0, GRAVITY_Y, 0);
    w->contacts = dJointGroupCreate(0);
    return true;
}

void physics_world_destroy_contacts(physics_world* w)
{
    if (!w->contacts) return;
    dJointGroupDestroy(w->contacts);
    w->contacts = nullptr;
}

void physics_world_destroy(physics_world* w)
{
    physics_world_destroy_contacts(w);
    if (!w->world) return;
    dWorldDestroy(w->world);
    w->world = nullptr;
    dCloseODE();
}

void physics_world_step(physics_world* w)
{
    dWorldStep(w->world, TICK);
    dJointGroupEmpty(w->contacts);
}

bool spring_erp_cfm(double k, double c, double* erp, double* cfm)
{
    double denominator = TICK * k + c;
    if (!(denominator > 0) || !isfinite(denominator)) return false;
    *erp = TICK * k / denominator;
    *cfm = 1 / denominator;
    return true;
}

bool physics_add_spring(physics_world* w, dBodyID a, dBodyID b, const double point[3], const double normal[3],
                        double extension, double k, double c)
{
    double erp, cfm;
    if (!spring_erp_cfm(k, c, &erp, &cfm) || !isfinite(extension)) return false;
    double length2 = 0;
    for (int i = 0; i < 3; i++) {
        if (!isfinite(point[i]) || !isfinite(normal[i])) return false;
        length2 += normal[i] * normal[i];
    }
    if (!(length2 > 1e-12)) return false;
    double scale = 1 / sqrt(length2);
    dContact contact;
    memset(&contact, 0, sizeof contact);
    contact.surface.mode = dContactSoftERP | dContactSoftCFM;
    contact.surface.soft_erp = erp;
    contact.surface.soft_cfm = cfm;
    for (int i = 0; i < 3; i++) {
        contact.geom.pos[i] = point[i];
        contact.geom.normal[i] = normal[i] * scale;
    }
    contact.geom.depth = extension;
    dJointID j = dJointCreateContact(w->world, w->contacts, &contact);
    dJointAttach(j, a, b);
    return true;
}
