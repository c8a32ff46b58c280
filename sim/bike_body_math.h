// Small vector, rotation-matrix and quaternion helpers for placing bike
// bodies. Vectors are double[3]; matrices are the physics library's 3x4
// row-major dMatrix3; quaternions are (w, x, y, z). Header-only.
#pragma once
#include <math.h>
#include <ode/ode.h>

inline double vec_dot(const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
inline double vec_length(const double* v) { return sqrt(vec_dot(v, v)); }

inline void vec_cross(const double* a, const double* b, double* out)
{
    double x = a[1] * b[2] - a[2] * b[1], y = a[2] * b[0] - a[0] * b[2], z = a[0] * b[1] - a[1] * b[0];
    out[0] = x;
    out[1] = y;
    out[2] = z;
}

// Scales `v` to unit length; false (v unchanged) when it is too short or not finite.
inline bool vec_normalise(double* v)
{
    double length = vec_length(v);
    if (!(length > 1e-12) || !isfinite(length)) return false;
    for (int i = 0; i < 3; i++) v[i] /= length;
    return true;
}

// out = r v
inline void mat_apply(const dReal* r, const double* v, double* out)
{
    double x = r[0] * v[0] + r[1] * v[1] + r[2] * v[2];
    double y = r[4] * v[0] + r[5] * v[1] + r[6] * v[2];
    double z = r[8] * v[0] + r[9] * v[1] + r[10] * v[2];
    out[0] = x;
    out[1] = y;
    out[2] = z;
}

// Column `c` of `r`: the body's c-th axis in world coordinates.
inline void mat_column(const dReal* r, int c, double* out)
{
    out[0] = r[c];
    out[1] = r[4 + c];
    out[2] = r[8 + c];
}

// Unit quaternion from any four values; the identity when they have no direction.
inline void quat_normalise_or_identity(const double* in, dQuaternion out)
{
    double n = sqrt(in[0] * in[0] + in[1] * in[1] + in[2] * in[2] + in[3] * in[3]);
    if (!(n > 1e-9) || !isfinite(n)) {
        out[0] = 1;
        out[1] = out[2] = out[3] = 0;
        return;
    }
    for (int i = 0; i < 4; i++) out[i] = in[i] / n;
}

// The rotation vector (axis times angle, world frame, the short way round)
// that turns orientation `from` into `to`.
inline void quat_rotation_between(const dQuaternion from, const dQuaternion to, double* out)
{
    dQuaternion d;
    dQMultiply2(d, to, from);  // to * from^-1
    if (d[0] < 0)
        for (int i = 0; i < 4; i++) d[i] = -d[i];
    double s = sqrt(d[1] * d[1] + d[2] * d[2] + d[3] * d[3]);
    double scale = s > 1e-12 ? 2 * atan2(s, d[0]) / s : 2;
    for (int i = 0; i < 3; i++) out[i] = d[i + 1] * scale;
}
