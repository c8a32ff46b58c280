// Loading frames: what the window shows while start-up, a track load or
// shutdown keeps the main thread busy. A spinner and a 32-segment bar whose
// lit segments are the bits of a step counter, drawn with plain OpenGL.
// Long operations call `loading_keep_alive` often; it draws at most every
// 1/16 s. Status texts are logged and shown the same way.
#pragma once

struct PlatformWindow;

// Starts drawing into `window` (null: nothing is drawn, texts are still logged).
void loading_frame_begin(PlatformWindow* window);
void loading_frame_end();

// Drains pending input events (remembering a close request) and, when at
// least 0.0625 s passed since the last loading frame, draws one.
void loading_keep_alive();
// Logs the status text and draws a loading frame at once.
void loading_status(const char* text);
// Draws a loading frame at once with a new status text, without logging it
// (progress dots). The text is kept for the frames that follow.
void loading_text(const char* text);
// The status text of the last frame ("" before any).
const char* loading_current_text();
// True once the close button was pressed while events were being drained.
bool loading_close_requested();
