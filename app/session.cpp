// The session state's one instance and its starting values.
#include "app/session.h"

#include <string.h>

Session& session() {
    static Session s;
    return s;
}

void session_init(Session* s, double now) {
    memset(s, 0, sizeof *s);
    s->last_frame_time = now;
    s->menu_screen = MENU_MAIN;
    s->view_mode = VIEW_RIDER;
    s->viewed_bike = 1;
    s->orbit_angle = 0;
    s->orbit_distance = 10;
    s->orbit_height = 5;
    s->track_camera = -1;
    s->min_frame_step = 1e30;
    s->max_frame_step = 0;
}
