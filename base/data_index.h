// The data index and the search list: the home folder ("…/Rutwise/",
// position 0) and the game data folder, every file in them and every member
// of their ".saf" archives. Built on first use from XDG_DATA_HOME/HOME and
// RW_HOME; the start-up check, the home folder and working-set tuning live
// beside it. Main thread only.
#pragma once

bool index_contains(const char* relative_name);
// "name -> path" of index entry `index`, truncated to the buffer; false past the end.
bool index_entry_text(int index, char* buffer, int size);
// Null-terminated list of distinct indexed names; builds the index on first call.
const char* const* file_list();
// Called between the folders and archives while the index is built, so that
// the loading frame stays alive; null (the default) for none.
void set_index_keep_alive(void (*keep_alive)());
int file_list_count();
const char* home_folder();          // search-list position 0 ("…/Rutwise/"), or null
bool open_home_folder();            // creates it and opens it in the file browser
bool game_data_present();           // the start-up check: logs to lastlog.txt, finds "zzzz.saf"
void tune_working_set();            // logs the range and the real outcome
// Frees the search list and the index ("Freeing file list" at shutdown). The
// next use builds them again from the environment (tests rely on this).
void data_files_shutdown();

// The search list (built on first use from XDG_DATA_HOME/HOME and RW_HOME).
int search_folder_count();
const char* search_folder(int position);  // ends in "/"
