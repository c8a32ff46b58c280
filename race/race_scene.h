// How a race sits on the physics scene: the track's statues as collisions
// see them (the starting gates among them until 10 s after the drop), the
// gates' touches and their turn as they fall, where a fallen rider turns to,
// crashes from contacts, the arcade grip, and the start rules after each
// rider's controls step. Set up by the race reset once the riders exist.
#pragma once

struct Race;

// Hooks the race into `race->scene` and builds the statues' collision list
// from `race->statues`. Replaces an earlier attachment.
void race_scene_attach(Race* race);
// Unhooks the race and frees the list (the track's statues are going).
void race_scene_detach(Race* race);
// Rebuilds the collision list after statues were added or moved.
void race_scene_rebuild_statues(Race* race);
// Whether the gate of start slot `gate` touched a rider in the current tick.
bool race_gate_touched(const Race* race, int gate);
// Turns every gate statue's collision shape about its local x axis by its
// openness times `up_angle` (rad) from its placed orientation.
void race_scene_turn_gates(Race* race, float up_angle);
