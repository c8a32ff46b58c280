// The crf250(2008) catalogue row and the per-rider parameters its default
// setup converts to, for the suspension and drivetrain tests.
#pragma once
#include "sim/bike_info.h"
#include "sim/setup.h"
#include "sim/setup_params.h"

inline const BikeInfo* crf250_row() { return find_bike_info("crf250(2008)"); }

inline RiderParams default_params(const BikeInfo* bike)
{
    RiderSetup setup;
    setup_init_defaults(&setup);
    RiderParams p;
    rider_params_from_setup(&p, &setup, bike);
    return p;
}
