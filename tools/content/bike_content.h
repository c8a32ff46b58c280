// The bike and rider files of the generated content: for every catalogue
// row, each model, texture and collision shape its file names call for
// (frame and rider bodies with a "_lod1" level), the bike texture's "-alt1"
// and "-alt2" looks, the wheel, rider-body and rider-head pictures with
// their alternatives. Names are relative (no "@"). Deterministic.
#pragma once
#include "tools/content/output.h"

// Every catalogue file name has a builder here; a name without one is a bug
// of this file (reported on standard error and asserted).
void add_bike_content(ContentFiles* files);
