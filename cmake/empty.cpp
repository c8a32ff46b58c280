// Placeholder source for a subsystem library that has no modules yet.
