#pragma once

// How the operator stops tavrel-watch: SIGINT or SIGTERM, and on Windows Ctrl+C, Ctrl+Break or closing its
// console. The handlers only set a flag; the program polls it between two ticks and ends with status 0.
void InstallStopHandlers();
bool StopRequested();
