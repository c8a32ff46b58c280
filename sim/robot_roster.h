// The built-in roster of 80 robot riders the race set-up draws its robots
// from: number, personality, bike and the looks of rider, helmet, bike and
// wheels. Numbers run "20" to "99" in table order. Constant data; any thread.
#pragma once

enum { ROBOT_ROSTER_SIZE = 80 };

struct RobotRosterEntry {
    const char* number;       // "20" .. "99"
    const char* personality;  // "quarnel", "zolt" or "vesk"
    const char* bike;         // a catalogue name, or a short legacy name ("crf250")
    // Textures: rider gear, helmet, bike, wheels; empty: the catalogue's own.
    const char* texture[4];
};

const RobotRosterEntry& robot_roster_entry(int index);  // 0 .. ROBOT_ROSTER_SIZE - 1

// The catalogue name of a bike named by an older short name: "crf250",
// "kx250f", "rmz250" and "yz250f" are the 2008 models; others stay as given.
const char* bike_current_name(const char* bike);
