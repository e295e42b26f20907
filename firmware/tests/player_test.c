/* Drives the player for the simulator and shows on pins what only the program can see:
 *   PB5 toggles on every pass of the main loop (about 1 ms), PB0 mirrors quillon_busy(),
 *   PB2 rises when quillon_busy() is 0 right after quillon_stop(), PB3 rises at the end.
 * It plays the melody from RAM to its end, then plays it again from flash and stops it inside
 * its second note.
 * simavr keeps the level of OC1A in the PORTB1 bit, so a read-modify-write of PORTB over several
 * instructions would put back a stale level and shift the tone; single-bit set/clear and the PINB
 * toggle are safe there, as on the chip. */
#include "quillon_player.h"

#include <avr/interrupt.h>
#include <avr/io.h>
#include <avr/pgmspace.h>
#include <stdint.h>
#include <string.h>
#include <util/delay.h>

/* Four octaves; duration codes 0 to 7 (0x64 and 0xad..0x5f extended); a rest extended to
 * 800 ms (0xfc) and a plain one; two equal notes; note indexes 28 and 30 (0xe2, 0xf1). */
/* clang-format off */
const unsigned char music_item[] PROGMEM = {
0x01,0x0a,0x13,0x64,0xfc,0x9b,0x9b,0xe2,0xd9,0x70,0xad,0xf1,0x3e,0x5f,0xf8,0xd9,
0x00};
/* clang-format on */

static void pass(void) {
    PINB = _BV(PINB5); /* one write toggles the LED, without reading PORTB back */
    if (quillon_busy()) {
        PORTB |= _BV(PORTB0);
    } else {
        PORTB &= (uint8_t)~_BV(PORTB0);
    }
    _delay_ms(1);
}

int main(void) {
    DDRB |= _BV(DDB0) | _BV(DDB2) | _BV(DDB3) | _BV(DDB5);
    quillon_init();
    sei();

    unsigned char inRam[sizeof music_item];
    memcpy_P(inRam, music_item, sizeof inRam);
    quillon_play(inRam);
    do {
        pass();
    } while (quillon_busy());
    for (uint8_t i = 0; i < 100; i++) {
        pass();
    }

    quillon_play_P(music_item);
    for (uint8_t i = 0; i < 200; i++) {
        pass();
    }
    quillon_stop();
    if (!quillon_busy()) {
        PORTB |= _BV(PORTB2);
    }
    for (uint16_t i = 0; i < 300; i++) {
        pass();
    }
    PORTB |= _BV(PORTB3);
    for (;;) {
        pass();
    }
}
