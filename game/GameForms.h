// The program's windows besides the main one, made once at start-up in their order after
// it (settings, result, about, number, high scores, how to play) and kept hidden until a
// command shows them.
#pragma once

void CreateGameDialogs();
