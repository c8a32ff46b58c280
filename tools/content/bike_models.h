// The bike and rider meshes of the generated content. Bike parts are built
// in the catalogue's bike coordinates (x to the rider's side, y up, z from
// the front wheel to the rear) and shifted to their body's origin; rider
// models are in the rest pose of the nine-bone skeleton (a standing figure
// with the arms stretched sideways, forward -z); the head around the head
// point. Feet throughout.
#pragma once
#include "sim/bike_info.h"
#include "tools/content/bike_mesh.h"

// `detail` 1 is the full model, 0 the far level of detail.
MeshModel bike_frame_model(const BikeInfo& bike, int detail);
MeshModel bike_fork_upper_model(const BikeInfo& bike);
MeshModel bike_fork_lower_model(const BikeInfo& bike);
MeshModel bike_swingarm_model(const BikeInfo& bike);
MeshModel bike_wheel_model(const BikeWheelInfo& wheel, bool rear);
MeshModel bike_side_plates_model(const BikeInfo& bike);
MeshModel bike_front_plate_model(const BikeInfo& bike);

MeshModel rider_body_model(const BikeRiderPoints& points, int detail, bool first_person);
MeshModel rider_head_model();
MeshModel rider_plate_model();
