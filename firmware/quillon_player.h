/* Quillon melody player for the ATmega48/88/168/328 family: plays a music_item array from flash
 * on OC1A (PB1, Arduino pin 9) in the background. Timer1 makes the pitch, Timer2 the 1 ms steps;
 * the application keeps both timers to the player and enables interrupts itself (sei()). */
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

/* Sets up the timers and the pin; no sound yet. */
void quillon_init(void);

/* Starts the melody (in flash, PROGMEM) from its first element, stopping any melody playing;
 * returns at once. The melody ends at element 0 and must stay in place while it plays. */
void quillon_play(const unsigned char* melody);

/* Silence now; quillon_busy() becomes 0. */
void quillon_stop(void);

/* 1 while a melody is playing, 0 otherwise. */
unsigned char quillon_busy(void);

#ifdef __cplusplus
}
#endif
