/* Quillon melody player, version 2: plays a melody of music codes in the background on Timer1's
 * output A and takes nothing else: no other timer, no other interrupt.
 *   ATmega48/88/168/328 (Uno, Nano, Pro Mini): OC1A is PB1, Arduino pin 9
 *   ATmega1280/2560 (Mega): OC1A is PB5, Arduino pin 11
 *   ATmega16U4/32U4 (Leonardo, Micro): OC1A is PB5, Arduino pin 9
 * at F_CPU 1, 8, 12, 16 or 20 MHz. The program enables interrupts itself (sei(); an Arduino
 * sketch has them on already).
 *
 * Version 2 changed quillon_play: it reads the melody from RAM, as the composer writes it;
 * a melody declared PROGMEM goes to quillon_play_P, as strcpy and strcpy_P in avr-libc. */
#pragma once

#define QUILLON_VERSION_MAJOR 2
#define QUILLON_VERSION_MINOR 0
#define QUILLON_VERSION_PATCH 0
#define QUILLON_VERSION "2.0.0"

#ifdef __cplusplus
extern "C" {
#endif

/* Takes Timer1 and the pin; no sound yet. Call once before the others. */
void quillon_init(void);

/* Starts the melody in RAM from its first element, stopping any melody playing; returns at
 * once. The melody ends at element 0 and must stay in place while it plays. */
void quillon_play(const unsigned char* melody);

/* The same for a melody in flash, declared PROGMEM. */
void quillon_play_P(const unsigned char* melody);

/* Silence now; quillon_busy() becomes 0. */
void quillon_stop(void);

/* 1 while a melody is playing, 0 otherwise. */
unsigned char quillon_busy(void);

#ifdef __cplusplus
}
#endif
