// Key codes and key names: SDL scancodes translated to PC scan codes (the
// codes settings files store), the name tables, the loose comparison and the
// alias list.
#include <SDL2/SDL_keyboard.h>
#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "platform/log.h"
#include "platform/platform.h"
#include "platform/platform_local.h"

struct scan_pair {
    SDL_Scancode sdl;
    int scan;  // PC set-1 scan code, +0x100 for keys sent with the E0 prefix
};

// When two scancodes share a scan code, the first one names it.
static const scan_pair SCAN_TABLE[] = {
    {SDL_SCANCODE_ESCAPE, 0x01},       {SDL_SCANCODE_1, 0x02},
    {SDL_SCANCODE_2, 0x03},            {SDL_SCANCODE_3, 0x04},
    {SDL_SCANCODE_4, 0x05},            {SDL_SCANCODE_5, 0x06},
    {SDL_SCANCODE_6, 0x07},            {SDL_SCANCODE_7, 0x08},
    {SDL_SCANCODE_8, 0x09},            {SDL_SCANCODE_9, 0x0A},
    {SDL_SCANCODE_0, 0x0B},            {SDL_SCANCODE_MINUS, 0x0C},
    {SDL_SCANCODE_EQUALS, 0x0D},       {SDL_SCANCODE_BACKSPACE, 0x0E},
    {SDL_SCANCODE_TAB, 0x0F},          {SDL_SCANCODE_Q, 0x10},
    {SDL_SCANCODE_W, 0x11},            {SDL_SCANCODE_E, 0x12},
    {SDL_SCANCODE_R, 0x13},            {SDL_SCANCODE_T, 0x14},
    {SDL_SCANCODE_Y, 0x15},            {SDL_SCANCODE_U, 0x16},
    {SDL_SCANCODE_I, 0x17},            {SDL_SCANCODE_O, 0x18},
    {SDL_SCANCODE_P, 0x19},            {SDL_SCANCODE_LEFTBRACKET, 0x1A},
    {SDL_SCANCODE_RIGHTBRACKET, 0x1B}, {SDL_SCANCODE_RETURN, 0x1C},
    {SDL_SCANCODE_LCTRL, 0x1D},        {SDL_SCANCODE_A, 0x1E},
    {SDL_SCANCODE_S, 0x1F},            {SDL_SCANCODE_D, 0x20},
    {SDL_SCANCODE_F, 0x21},            {SDL_SCANCODE_G, 0x22},
    {SDL_SCANCODE_H, 0x23},            {SDL_SCANCODE_J, 0x24},
    {SDL_SCANCODE_K, 0x25},            {SDL_SCANCODE_L, 0x26},
    {SDL_SCANCODE_SEMICOLON, 0x27},    {SDL_SCANCODE_APOSTROPHE, 0x28},
    {SDL_SCANCODE_GRAVE, 0x29},        {SDL_SCANCODE_LSHIFT, 0x2A},
    {SDL_SCANCODE_BACKSLASH, 0x2B},    {SDL_SCANCODE_NONUSHASH, 0x2B},
    {SDL_SCANCODE_Z, 0x2C},            {SDL_SCANCODE_X, 0x2D},
    {SDL_SCANCODE_C, 0x2E},            {SDL_SCANCODE_V, 0x2F},
    {SDL_SCANCODE_B, 0x30},            {SDL_SCANCODE_N, 0x31},
    {SDL_SCANCODE_M, 0x32},            {SDL_SCANCODE_COMMA, 0x33},
    {SDL_SCANCODE_PERIOD, 0x34},       {SDL_SCANCODE_SLASH, 0x35},
    {SDL_SCANCODE_RSHIFT, 0x36},       {SDL_SCANCODE_KP_MULTIPLY, 0x37},
    {SDL_SCANCODE_LALT, 0x38},         {SDL_SCANCODE_SPACE, 0x39},
    {SDL_SCANCODE_CAPSLOCK, 0x3A},     {SDL_SCANCODE_F1, 0x3B},
    {SDL_SCANCODE_F2, 0x3C},           {SDL_SCANCODE_F3, 0x3D},
    {SDL_SCANCODE_F4, 0x3E},           {SDL_SCANCODE_F5, 0x3F},
    {SDL_SCANCODE_F6, 0x40},           {SDL_SCANCODE_F7, 0x41},
    {SDL_SCANCODE_F8, 0x42},           {SDL_SCANCODE_F9, 0x43},
    {SDL_SCANCODE_F10, 0x44},          {SDL_SCANCODE_PAUSE, 0x45},
    {SDL_SCANCODE_SCROLLLOCK, 0x46},   {SDL_SCANCODE_KP_7, 0x47},
    {SDL_SCANCODE_KP_8, 0x48},         {SDL_SCANCODE_KP_9, 0x49},
    {SDL_SCANCODE_KP_MINUS, 0x4A},     {SDL_SCANCODE_KP_4, 0x4B},
    {SDL_SCANCODE_KP_5, 0x4C},         {SDL_SCANCODE_KP_6, 0x4D},
    {SDL_SCANCODE_KP_PLUS, 0x4E},      {SDL_SCANCODE_KP_1, 0x4F},
    {SDL_SCANCODE_KP_2, 0x50},         {SDL_SCANCODE_KP_3, 0x51},
    {SDL_SCANCODE_KP_0, 0x52},         {SDL_SCANCODE_KP_PERIOD, 0x53},
    {SDL_SCANCODE_SYSREQ, 0x54},       {SDL_SCANCODE_NONUSBACKSLASH, 0x56},
    {SDL_SCANCODE_F11, 0x57},          {SDL_SCANCODE_F12, 0x58},
    {SDL_SCANCODE_KP_EQUALS, 0x59},    {SDL_SCANCODE_F13, 0x64},
    {SDL_SCANCODE_F14, 0x65},          {SDL_SCANCODE_F15, 0x66},
    {SDL_SCANCODE_F16, 0x67},          {SDL_SCANCODE_F17, 0x68},
    {SDL_SCANCODE_F18, 0x69},          {SDL_SCANCODE_F19, 0x6A},
    {SDL_SCANCODE_F20, 0x6B},          {SDL_SCANCODE_F21, 0x6C},
    {SDL_SCANCODE_F22, 0x6D},          {SDL_SCANCODE_F23, 0x6E},
    {SDL_SCANCODE_INTERNATIONAL2, 0x70}, {SDL_SCANCODE_LANG2, 0x71},
    {SDL_SCANCODE_LANG1, 0x72},        {SDL_SCANCODE_INTERNATIONAL1, 0x73},
    {SDL_SCANCODE_F24, 0x76},          {SDL_SCANCODE_INTERNATIONAL4, 0x79},
    {SDL_SCANCODE_INTERNATIONAL5, 0x7B}, {SDL_SCANCODE_INTERNATIONAL3, 0x7D},
    {SDL_SCANCODE_KP_COMMA, 0x7E},
    // Extended keys.
    {SDL_SCANCODE_AUDIOPREV, 0x110},   {SDL_SCANCODE_AUDIONEXT, 0x119},
    {SDL_SCANCODE_KP_ENTER, 0x11C},    {SDL_SCANCODE_RCTRL, 0x11D},
    {SDL_SCANCODE_MUTE, 0x120},        {SDL_SCANCODE_CALCULATOR, 0x121},
    {SDL_SCANCODE_AUDIOPLAY, 0x122},   {SDL_SCANCODE_AUDIOSTOP, 0x124},
    {SDL_SCANCODE_VOLUMEDOWN, 0x12E},  {SDL_SCANCODE_VOLUMEUP, 0x130},
    {SDL_SCANCODE_AC_HOME, 0x132},     {SDL_SCANCODE_KP_DIVIDE, 0x135},
    {SDL_SCANCODE_PRINTSCREEN, 0x137}, {SDL_SCANCODE_RALT, 0x138},
    {SDL_SCANCODE_NUMLOCKCLEAR, 0x145}, {SDL_SCANCODE_HOME, 0x147},
    {SDL_SCANCODE_UP, 0x148},          {SDL_SCANCODE_PAGEUP, 0x149},
    {SDL_SCANCODE_LEFT, 0x14B},        {SDL_SCANCODE_RIGHT, 0x14D},
    {SDL_SCANCODE_END, 0x14F},         {SDL_SCANCODE_DOWN, 0x150},
    {SDL_SCANCODE_PAGEDOWN, 0x151},    {SDL_SCANCODE_INSERT, 0x152},
    {SDL_SCANCODE_DELETE, 0x153},      {SDL_SCANCODE_LGUI, 0x15B},
    {SDL_SCANCODE_RGUI, 0x15C},        {SDL_SCANCODE_APPLICATION, 0x15D},
    {SDL_SCANCODE_POWER, 0x15E},       {SDL_SCANCODE_SLEEP, 0x15F},
    {SDL_SCANCODE_AC_SEARCH, 0x165},   {SDL_SCANCODE_AC_BOOKMARKS, 0x166},
    {SDL_SCANCODE_AC_REFRESH, 0x167},  {SDL_SCANCODE_AC_STOP, 0x168},
    {SDL_SCANCODE_AC_FORWARD, 0x169},  {SDL_SCANCODE_AC_BACK, 0x16A},
    {SDL_SCANCODE_COMPUTER, 0x16B},    {SDL_SCANCODE_MAIL, 0x16C},
    {SDL_SCANCODE_MEDIASELECT, 0x16D},
};

struct named_scan {
    const char* name;
    int scan;
};

// The built-in names, in the order names are printed when a code appears
// twice. "M" and "N" keep the codes settings files have always stored.
static const named_scan BUILTIN_KEYS[] = {
    {"Esc", 0x01}, {"0", 0x0B}, {"1", 0x02}, {"2", 0x03}, {"3", 0x04}, {"4", 0x05},
    {"5", 0x06}, {"6", 0x07}, {"7", 0x08}, {"8", 0x09}, {"9", 0x0A},
    {"A", 0x1E}, {"B", 0x30}, {"C", 0x2E}, {"D", 0x20}, {"E", 0x12}, {"F", 0x21},
    {"G", 0x22}, {"H", 0x23}, {"I", 0x17}, {"J", 0x24}, {"K", 0x25}, {"L", 0x26},
    {"M", 0x31}, {"N", 0x32}, {"O", 0x18}, {"P", 0x19}, {"Q", 0x10}, {"R", 0x13},
    {"S", 0x1F}, {"T", 0x14}, {"U", 0x16}, {"V", 0x2F}, {"W", 0x11}, {"X", 0x2D},
    {"Y", 0x15}, {"Z", 0x2C},
    {"-", 0x0C}, {"=", 0x0D}, {"[", 0x1A}, {"]", 0x1B}, {";", 0x27}, {"'", 0x28},
    {"`", 0x29}, {"\\", 0x2B}, {",", 0x33}, {".", 0x34}, {"/", 0x35},
    {"Backspace", 0x0E}, {"Tab", 0x0F}, {"Enter", 0x1C}, {"Left Ctrl", 0x1D},
    {"Left Shift", 0x2A}, {"Right Shift", 0x36}, {"Space", 0x39}, {" ", 0x39},
    {"Caps Lock", 0x3A}, {"Right Ctrl", 0x11D}, {"Insert", 0x152}, {"Delete", 0x153},
    {"Home", 0x147}, {"End", 0x14F}, {"Page Up", 0x149}, {"Page Down", 0x151},
    {"Up", 0x148}, {"Down", 0x150}, {"Left", 0x14B}, {"Right", 0x14D},
    {"F1", 0x3B}, {"F2", 0x3C}, {"F3", 0x3D}, {"F4", 0x3E}, {"F5", 0x3F},
    {"F6", 0x40}, {"F7", 0x41}, {"F8", 0x42}, {"F9", 0x43}, {"F10", 0x44},
    {"F11", 0x57}, {"F12", 0x58}, {"Pause", 0x45}, {"Num Lock", 0x145},
    {"Keypad /", 0x135}, {"Keypad *", 0x37}, {"Keypad -", 0x4A}, {"Keypad 7", 0x47},
    {"Keypad 8", 0x48}, {"Keypad 9", 0x49}, {"Keypad +", 0x4E}, {"Keypad 4", 0x4B},
    {"Keypad 5", 0x4C}, {"Keypad 6", 0x4D}, {"Keypad 1", 0x4F}, {"Keypad 2", 0x50},
    {"Keypad 3", 0x51}, {"Keypad Enter", 0x11C}, {"Keypad 0", 0x52}, {"Keypad .", 0x53},
};
static_assert(sizeof BUILTIN_KEYS / sizeof BUILTIN_KEYS[0] == 98);

static const named_scan FIXED_NAME_KEYS[] = {
    {"Close", KEY_CLOSE},
    {"Mouse Left", KEY_MOUSE_LEFT},
    {"Mouse Middle", KEY_MOUSE_MIDDLE},
    {"Mouse Right", KEY_MOUSE_RIGHT},
};

constexpr int SCAN_CODES = 0x200;

int scan_code_from_sdl(int sdl_scancode) {
    for (const scan_pair& p : SCAN_TABLE)
        if (p.sdl == sdl_scancode) return p.scan;
    return -1;
}

// The system's name for each scan code ("" when it has none), read once.
static const char* system_key_name(int scan) {
    static const char* names[SCAN_CODES];
    static bool filled;
    if (!filled) {
        filled = true;
        for (const char*& n : names) n = "";
        for (const scan_pair& p : SCAN_TABLE) {
            if (names[p.scan][0]) continue;
            const char* name = SDL_GetScancodeName(p.sdl);
            if (name && name[0]) names[p.scan] = intern(name);
        }
    }
    return names[scan];
}

// Letters without regard to case; white space and "_" equal to a space.
static bool loose_equal(const char* a, const char* b) {
    auto fold = [](unsigned char c) -> int {
        if (c == '_' || isspace(c)) return ' ';
        return tolower(c);
    };
    for (; *a && *b; a++, b++)
        if (fold(*a) != fold(*b)) return false;
    return *a == *b;
}

static bool find_in_lists(const char* name, bool (*equal)(const char*, const char*), int* code) {
    for (const named_scan& k : FIXED_NAME_KEYS)
        if (equal(name, k.name)) return *code = k.scan, true;
    for (int s = 0; s < SCAN_CODES; s++) {
        const char* n = system_key_name(s);
        if (n[0] && equal(name, n)) return *code = KEY_SCAN_BASE + s, true;
    }
    for (const named_scan& k : BUILTIN_KEYS)
        if (equal(name, k.name)) return *code = KEY_SCAN_BASE + k.scan, true;
    return false;
}

static bool exact_equal(const char* a, const char* b) {
    return strcmp(a, b) == 0;
}

bool key_code(const char* name, int* code) {
    name = apply_alias(name);
    if (find_in_lists(name, exact_equal, code)) return true;
    if (find_in_lists(name, loose_equal, code)) return true;
    unsigned value = 0;
    int used = 0;
    if (sscanf(name, "0x%x%n", &value, &used) == 1 && name[used] == '\0' && value <= 0x1FF) {
        *code = KEY_SCAN_BASE + (int)value;
        return true;
    }
    return device_button_code(name, code);
}

const char* key_name(int code) {
    for (const named_scan& k : FIXED_NAME_KEYS)
        if (code == k.scan) return intern(k.name);
    char text[1100];
    if (code >= KEY_SCAN_BASE && code < KEY_SCAN_BASE + SCAN_CODES) {
        int scan = code - KEY_SCAN_BASE;
        const char* system = system_key_name(scan);
        if (system[0]) return system;
        for (const named_scan& k : BUILTIN_KEYS)
            if (k.scan == scan) return intern(k.name);
        snprintf(text, sizeof text, "0x%x", scan);
        return intern(text);
    }
    if (device_button_name(code, text, sizeof text)) return intern(text);
    // Typed characters and codes of devices that are not attached.
    snprintf(text, sizeof text, "code 0x%x", (unsigned)code);
    return intern(text);
}

// ---- Aliases ----------------------------------------------------------------

struct alias_pair {
    std::string alias, target;
};

static std::vector<alias_pair>& aliases() {
    static std::vector<alias_pair>* list = new std::vector<alias_pair>;
    return *list;
}

bool add_key_alias(const char* alias, const char* target) {
    for (const alias_pair& a : aliases()) {
        if (a.alias != alias) continue;
        if (a.target != target) log("Second alias for '%s' ('%s') ignored\n", alias, target);
        return a.target == target;
    }
    aliases().push_back({alias, target});
    return true;
}

void register_default_aliases() {
    static const char* const PAIRS[][2] = {
        {"cursor-left", "Mouse Left"},          {"cursor-middle", "Mouse Middle"},
        {"cursor-right", "Mouse Right"},        {"cursor-x", "cursor.axis[0]"},
        {"cursor-y", "cursor.axis[1]"},         {"mouse-x", "Mouse.axis[0]"},
        {"mouse-y", "Mouse.axis[1]"},           {"mouse-left", "Mouse.key[0]"},
        {"mouse-right", "Mouse.key[1]"},        {"mouse-middle", "Mouse.key[2]"},
        {"joystick-a-x", "Joystick1.axis[0]"},  {"joystick-a-y", "Joystick1.axis[1]"},
        {"joystick-a-1", "Joystick1.key[0]"},   {"joystick-a-2", "Joystick1.key[1]"},
        {"joystick-b-x", "Joystick2.axis[0]"},  {"joystick-b-y", "Joystick2.axis[1]"},
        {"joystick-b-1", "Joystick2.key[0]"},   {"joystick-b-2", "Joystick2.key[1]"},
    };
    for (const auto& p : PAIRS) add_key_alias(p[0], p[1]);
}

const char* apply_alias(const char* name) {
    static bool registered;
    if (!registered) {
        registered = true;
        register_default_aliases();
    }
    for (const alias_pair& a : aliases())
        if (a.alias == name) return a.target.c_str();
    return name;
}
