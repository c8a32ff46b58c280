// Ground deformation under the wheels: the strokes and paths a wheel's
// samples are gathered into, the compact erosion records they travel in
// (offline straight back, online through the race server, stored in demos),
// the queue of points those records unpack into, and the per-frame
// processing that digs each point and deposits the dirt behind it. Only the
// Terrain changes here; turning tire forces into samples is the race's job.
// Units: feet, ticks. Processing is float-exact and repeatable: the same
// records, ticks and frames give the same heights bit for bit.
#pragma once
#include <stdint.h>

#include <vector>

struct Terrain;

enum {
    ERODE_QUEUE_SLOTS = 131072,
    ERODE_PATH_POINTS = 64,
    ERODE_STROKE_SAMPLES = 16,
    ERODE_RECORD_HEADER = 17,  // bytes of a record with one point
    ERODE_RECORD_MAX = ERODE_RECORD_HEADER + 4 * (ERODE_PATH_POINTS - 1),
    ERODE_RECORD_TYPE = 1,
    ERODE_IDLE_TICKS = 64,     // a path untouched this long is sent
    ERODE_HOLD_TICKS = 256,    // longest wait of points close to the player
    ERODE_BURST = 8192,        // queued points above which the player is not waited for
};
constexpr float ERODE_PATH_RANGE = 64.0f;     // ft, widest spread of steps in one record
constexpr float ERODE_STROKE_LENGTH = 1.0f;   // ft
constexpr float ERODE_HOLD_DISTANCE = 10.0f;  // ft around the player where points wait

struct ErodePoint {
    float x, z;    // ft
    float dx, dz;  // direction the dirt is pushed, length 0..1
    int weight;    // stroke samples averaged, 1..15
};

// Where a packed record goes. Offline it is unpacked into the queue; the
// server and demo recorder plug in here. A null `submit` drops records.
struct erode_submit_ops {
    void (*submit)(void* self, const uint8_t* record, int bytes);
    void* self;
};

// One wheel's gathering: the stroke being averaged and the path of closed
// strokes waiting to be packed. Zeroed = idle.
struct ErodeWheel {
    int samples;                // 0..16 in the open stroke
    float distance;             // ft travelled since the stroke began
    float sum_x, sum_z;         // sample positions
    float sum_gx, sum_gz;       // sample vectors
    float last_x, last_z;       // previous sample
    ErodePoint path[ERODE_PATH_POINTS];
    int path_count;
    float step_min[2], step_max[2];  // x and z steps between consecutive path points
    int last_add_tick;
};

// One sample of this tick (position and vector g, |g| <= 1) into the stroke;
// a closed stroke becomes a path point, a full path is packed and submitted.
void erode_wheel_sample(ErodeWheel* w, float x, float z, float gx, float gz, int now, float track_size,
                        const erode_submit_ops* submit);
// A tick without a sample: a path idle for more than 64 ticks is closed,
// packed and submitted, and the wheel starts over.
void erode_wheel_idle(ErodeWheel* w, int now, float track_size, const erode_submit_ops* submit);

// Packs 1..64 points into `out` (ERODE_RECORD_MAX bytes); returns the length
// (17 + 4 per further point), 0 for no points.
int erode_pack(const ErodePoint* points, int count, float track_size, uint8_t* out);
// Decodes a record; false (nothing written) when shorter than 17 bytes or of
// another type. Trailing bytes beyond whole points are ignored.
[[nodiscard]] bool erode_unpack(const uint8_t* record, int bytes, float track_size, std::vector<ErodePoint>* out);

struct ErodeQueue {
    std::vector<ErodePoint> ring;  // ERODE_QUEUE_SLOTS once initialised
    int read;                      // index of the oldest point
    int count;
    bool has_deadline;
    int deadline;                  // tick after which points near the player stop waiting
    bool has_reported_full;        // "Erode queue full!" is shown once per run
};

void erode_queue_init(ErodeQueue* q);
// Empties the queue (race reset); the "full" report stays given.
void erode_queue_clear(ErodeQueue* q);
// Appends every point of a record; points beyond the ring's capacity are
// dropped ("Erode queue full!" the first time). Returns the points queued.
int erode_queue_record(ErodeQueue* q, const uint8_t* record, int bytes, float track_size);
bool erode_queue_push(ErodeQueue* q, const ErodePoint& p);

// One frame's share of the queue: max(0, Q - 8192)/64 + Q/512 + 4 points.
// `player` (x, z; null: none) holds back points within 10 ft for up to 256
// ticks; `amount` = level / 1024. Returns the points handled.
int erode_process(ErodeQueue* q, Terrain* t, const float* player, float amount, int now);

// Adds K(d/R) * amount to every grid vertex within `radius` of (x, z),
// K(q) = 1 - 3q^2 + 2q^3. Returns the total actually added (vertices off
// the grid, a locked terrain and a radius not in (0, grid] add nothing).
float erode_dig(Terrain* t, float x, float z, float radius, float amount);
// erode_dig at `radius` then at `inner_radius` around the same point, in one
// pass; the same heights and totals bit for bit.
void erode_dig_pair(Terrain* t, float x, float z, float radius, float amount, float inner_radius,
                    float inner_amount, float* total, float* inner_total);
// Spreads `volume` over the same disc in proportion to K; the total added is
// `volume` when the weights sum to 1 or more. Marks the square for texture
// refresh and advances the change counter.
void erode_deposit(Terrain* t, float x, float z, float radius, float volume);
