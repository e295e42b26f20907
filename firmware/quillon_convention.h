/* How a music code sounds: the values that the melody player on the chip and the composer's
 * preview both take from here, so that the preview cannot drift from what the chip plays.
 * Plain C99 (and C++): macros only, so that each side stores them in the form it needs, in
 * flash on the chip and as constexpr arrays in the composer.
 *
 * A music code is note index * 8 + duration code; 0 ends the melody. */
#pragma once

/* Note indexes 0 (C3) to 27 (B6) have a pitch; 28 to 30 and the rest, 31, are silent. */
#define QUILLON_NOTE_COUNT 28
#define QUILLON_REST_INDEX 31

/* Table frequencies in hertz by note index, as a list of each(hz) in index order: each side
 * passes the macro that turns a frequency into the form it stores (the player keeps the half
 * period 500000 / f microseconds, rounded down, which the timer toggles the pin after). */
/* clang-format off */
#define QUILLON_NOTES_HZ(each) \
    each(131),  each(147),  each(165),  each(175),  each(196),  each(220),  each(247),  /* C3 .. B3 */ \
    each(262),  each(294),  each(330),  each(349),  each(392),  each(440),  each(494),  /* C4 .. B4 */ \
    each(523),  each(587),  each(659),  each(698),  each(784),  each(880),  each(988),  /* C5 .. B5 */ \
    each(1046), each(1175), each(1318), each(1397), each(1568), each(1760), each(1975)  /* C6 .. B6 */
#define QUILLON_HZ_AS_IS(hz) hz
/* The same frequencies as a plain list. */
#define QUILLON_NOTE_FREQUENCIES_HZ QUILLON_NOTES_HZ(QUILLON_HZ_AS_IS)

/* Length in milliseconds of duration codes 0 to 7, as a list of each(ms) in code order: each
 * side passes the macro that turns a length into the form it stores (the player keeps units of
 * 100 ms in one byte). Code 0 is one beat like code 3, so that the rest 0xf8 lasts a beat. */
#define QUILLON_DURATIONS_MS(each) \
    each(400), each(100), each(200), each(400), each(800), each(1200), each(1600), each(2000)
/* clang-format on */

/* A note sounds for its length less this, then is silent, so that two equal notes in a row are
 * heard as two. Rests and indexes 28 to 30 are silent for their whole length. */
#define QUILLON_GAP_MS 20u
