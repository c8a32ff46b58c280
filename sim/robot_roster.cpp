#include "sim/robot_roster.h"

#include <assert.h>
#include <string.h>

static const RobotRosterEntry ROSTER[ROBOT_ROSTER_SIZE] = {
    {"20", "quarnel", "kx125", {"@rider_body-alt1.png", "@rider_head-alt1.png", "", ""}},
    {"21", "quarnel", "kx125", {"@rider_body-alt2.png", "@rider_head-alt1.png", "", ""}},
    {"22", "quarnel", "kx125", {"@rider_body-alt3.png", "@rider_head-alt1.png", "", ""}},
    {"23", "quarnel", "kx125", {"@rider_body-alt1.png", "@rider_head-alt2.png", "@kx125-alt1.png", "@wheels-alt1.png"}},
    {"24", "quarnel", "kx125", {"@rider_body-alt2.png", "@rider_head-alt2.png", "", ""}},
    {"25", "quarnel", "yz125", {"@rider_body-alt3.png", "@rider_head-alt2.png", "", ""}},
    {"26", "quarnel", "yz125", {"", "", "", ""}},
    {"27", "quarnel", "yz125", {"@rider_body-alt2.png", "@rider_head-alt3.png", "@yz125-alt1.png", "@wheels-alt1.png"}},
    {"28", "quarnel", "yz125", {"@rider_body-alt3.png", "@rider_head-alt3.png", "", ""}},
    {"29", "quarnel", "yz125", {"@rider_body-alt1.png", "@rider_head-alt1.png", "", ""}},
    {"30", "quarnel", "cr125", {"@rider_body-alt2.png", "@rider_head-alt1.png", "", ""}},
    {"31", "quarnel", "cr125", {"@rider_body-alt3.png", "@rider_head-alt1.png", "@cr125-alt1.png", "@wheels-alt1.png"}},
    {"32", "quarnel", "cr125", {"@rider_body-alt1.png", "@rider_head-alt2.png", "", ""}},
    {"33", "quarnel", "cr125", {"", "", "", ""}},
    {"34", "quarnel", "cr125", {"@rider_body-alt3.png", "@rider_head-alt2.png", "", ""}},
    {"35", "quarnel", "rm125", {"@rider_body-alt1.png", "@rider_head-alt3.png", "@rm125-alt1.png", "@wheels-alt1.png"}},
    {"36", "quarnel", "rm125", {"@rider_body-alt2.png", "@rider_head-alt3.png", "", ""}},
    {"37", "quarnel", "rm125", {"@rider_body-alt3.png", "@rider_head-alt3.png", "", ""}},
    {"38", "quarnel", "rm125", {"@rider_body-alt1.png", "@rider_head-alt1.png", "", ""}},
    {"39", "quarnel", "rm125", {"@rider_body-alt2.png", "@rider_head-alt1.png", "", ""}},
    {"40", "zolt", "crf250", {"", "", "", ""}},
    {"41", "zolt", "crf250", {"@rider_body-alt1.png", "@rider_head-alt2.png", "", ""}},
    {"42", "zolt", "crf250", {"@rider_body-alt2.png", "@rider_head-alt2.png", "", ""}},
    {"43", "zolt", "crf250", {"@rider_body-alt3.png", "@rider_head-alt2.png", "", ""}},
    {"44", "zolt", "crf250", {"@rider_body-alt1.png", "@rider_head-alt3.png", "", ""}},
    {"45", "zolt", "kx250f", {"@rider_body-alt2.png", "@rider_head-alt3.png", "", ""}},
    {"46", "zolt", "kx250f", {"@rider_body-alt3.png", "@rider_head-alt3.png", "", ""}},
    {"47", "zolt", "kx250f", {"", "", "", ""}},
    {"48", "zolt", "kx250f", {"@rider_body-alt2.png", "@rider_head-alt1.png", "", ""}},
    {"49", "zolt", "kx250f", {"@rider_body-alt3.png", "@rider_head-alt1.png", "", ""}},
    {"50", "zolt", "rmz250", {"@rider_body-alt1.png", "@rider_head-alt2.png", "", ""}},
    {"51", "zolt", "rmz250", {"@rider_body-alt2.png", "@rider_head-alt2.png", "", ""}},
    {"52", "zolt", "rmz250", {"@rider_body-alt3.png", "@rider_head-alt2.png", "", ""}},
    {"53", "zolt", "rmz250", {"@rider_body-alt1.png", "@rider_head-alt3.png", "", ""}},
    {"54", "zolt", "yz250f", {"", "", "", ""}},
    {"55", "zolt", "yz250f", {"@rider_body-alt3.png", "@rider_head-alt3.png", "", ""}},
    {"56", "zolt", "yz250f", {"@rider_body-alt1.png", "@rider_head-alt1.png", "", ""}},
    {"57", "zolt", "yz250f", {"@rider_body-alt2.png", "@rider_head-alt1.png", "", ""}},
    {"58", "zolt", "yz250f", {"@rider_body-alt3.png", "@rider_head-alt1.png", "", ""}},
    {"59", "zolt", "yz250f_se(2006)", {"@rider_body-alt1.png", "@rider_head-alt2.png", "", ""}},
    {"60", "quarnel", "crf250", {"@rider_body-alt2.png", "@rider_head-alt2.png", "", ""}},
    {"61", "quarnel", "crf250", {"", "", "", ""}},
    {"62", "quarnel", "crf250", {"@rider_body-alt1.png", "@rider_head-alt3.png", "", ""}},
    {"63", "quarnel", "crf250", {"@rider_body-alt2.png", "@rider_head-alt3.png", "", ""}},
    {"64", "quarnel", "crf250", {"@rider_body-alt3.png", "@rider_head-alt3.png", "", ""}},
    {"65", "quarnel", "kx250f", {"@rider_body-alt1.png", "@rider_head-alt1.png", "", ""}},
    {"66", "quarnel", "kx250f", {"@rider_body-alt2.png", "@rider_head-alt1.png", "", ""}},
    {"67", "quarnel", "kx250f", {"@rider_body-alt3.png", "@rider_head-alt1.png", "", ""}},
    {"68", "quarnel", "kx250f", {"", "", "", ""}},
    {"69", "quarnel", "kx250f", {"@rider_body-alt2.png", "@rider_head-alt2.png", "", ""}},
    {"70", "quarnel", "rmz250", {"@rider_body-alt3.png", "@rider_head-alt2.png", "", ""}},
    {"71", "quarnel", "rmz250", {"@rider_body-alt1.png", "@rider_head-alt3.png", "", ""}},
    {"72", "quarnel", "rmz250", {"@rider_body-alt2.png", "@rider_head-alt3.png", "", ""}},
    {"73", "quarnel", "rmz250", {"@rider_body-alt3.png", "@rider_head-alt3.png", "", ""}},
    {"74", "quarnel", "rmz250", {"@rider_body-alt1.png", "@rider_head-alt1.png", "", ""}},
    {"75", "quarnel", "yz250f", {"", "", "", ""}},
    {"76", "quarnel", "yz250f", {"@rider_body-alt3.png", "@rider_head-alt1.png", "", ""}},
    {"77", "quarnel", "yz250f", {"@rider_body-alt1.png", "@rider_head-alt2.png", "", ""}},
    {"78", "quarnel", "yz250f", {"@rider_body-alt2.png", "@rider_head-alt2.png", "", ""}},
    {"79", "quarnel", "yz250f_se(2006)", {"@rider_body-alt3.png", "@rider_head-alt2.png", "", ""}},
    {"80", "vesk", "crf250", {"@rider_body-alt1.png", "@rider_head-alt3.png", "@crf250-alt1.png", "@wheels-alt1.png"}},
    {"81", "vesk", "crf250", {"@rider_body-alt2.png", "@rider_head-alt3.png", "@crf250-alt2.png", "@wheels-alt2.png"}},
    {"82", "vesk", "crf250", {"", "", "@crf250-alt1.png", "@wheels-alt1.png"}},
    {"83", "vesk", "crf250", {"@rider_body-alt1.png", "@rider_head-alt1.png", "@crf250-alt2.png", "@wheels-alt2.png"}},
    {"84", "vesk", "crf250", {"@rider_body-alt2.png", "@rider_head-alt1.png", "@crf250-alt1.png", "@wheels-alt1.png"}},
    {"85", "vesk", "kx250f", {"@rider_body-alt3.png", "@rider_head-alt1.png", "@kx250f-alt1.png", "@wheels-alt1.png"}},
    {"86", "vesk", "kx250f", {"@rider_body-alt1.png", "@rider_head-alt2.png", "@kx250f-alt2.png", "@wheels-alt2.png"}},
    {"87", "vesk", "kx250f", {"@rider_body-alt2.png", "@rider_head-alt2.png", "@kx250f-alt1.png", "@wheels-alt1.png"}},
    {"88", "vesk", "kx250f", {"@rider_body-alt3.png", "@rider_head-alt2.png", "@kx250f-alt2.png", "@wheels-alt2.png"}},
    {"89", "vesk", "kx250f", {"", "", "@kx250f-alt1.png", "@wheels-alt1.png"}},
    {"90", "vesk", "yz250f", {"@rider_body-alt2.png", "@rider_head-alt3.png", "@yz250f-alt1.png", "@wheels-alt1.png"}},
    {"91", "vesk", "yz250f", {"@rider_body-alt3.png", "@rider_head-alt3.png", "@yz250f-alt2.png", "@wheels-alt2.png"}},
    {"92", "vesk", "yz250f", {"@rider_body-alt1.png", "@rider_head-alt1.png", "@yz250f-alt1.png", "@wheels-alt1.png"}},
    {"93", "vesk", "yz250f", {"@rider_body-alt2.png", "@rider_head-alt1.png", "@yz250f-alt2.png", "@wheels-alt2.png"}},
    {"94", "vesk", "yz250f", {"@rider_body-alt3.png", "@rider_head-alt1.png", "@yz250f-alt1.png", "@wheels-alt1.png"}},
    {"95", "vesk", "rmz250", {"@rider_body-alt1.png", "@rider_head-alt2.png", "@rmz250-alt1.png", "@wheels-alt1.png"}},
    {"96", "vesk", "rmz250", {"", "", "@rmz250-alt2.png", "@wheels-alt2.png"}},
    {"97", "vesk", "rmz250", {"@rider_body-alt3.png", "@rider_head-alt2.png", "@rmz250-alt1.png", "@wheels-alt1.png"}},
    {"98", "vesk", "rmz250", {"@rider_body-alt1.png", "@rider_head-alt3.png", "@rmz250-alt2.png", "@wheels-alt2.png"}},
    {"99", "vesk", "rmz250", {"@rider_body-alt2.png", "@rider_head-alt3.png", "@rmz250-alt1.png", "@wheels-alt1.png"}},
};

const RobotRosterEntry& robot_roster_entry(int index) {
    assert(index >= 0 && index < ROBOT_ROSTER_SIZE);
    return ROSTER[index];
}

const char* bike_current_name(const char* bike) {
    static const char* const LEGACY[][2] = {
        {"crf250", "crf250(2008)"}, {"kx250f", "kx250f(2008)"}, {"rmz250", "rmz250(2008)"}, {"yz250f", "yz250f(2008)"}};
    for (const auto& l : LEGACY)
        if (strcmp(bike, l[0]) == 0) return l[1];
    return bike;
}
