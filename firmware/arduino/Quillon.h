/* The Quillon melody player for Arduino sketches: quillon_init(), quillon_play(melody) for a
 * melody in RAM (the composer's text pasted as it is), quillon_play_P(melody) for one declared
 * PROGMEM, quillon_stop(), quillon_busy(). It takes Timer1 and its output-A pin only. */
#pragma once

#include "quillon_player.h"
