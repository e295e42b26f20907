/* Plays a melody from the composer on pin 9 (PB1) while the main loop blinks the LED on pin 13
 * (PB5): the player works from its timers, so the loop never waits for a note. Two seconds
 * after the melody ends it starts again. */
#include "quillon_player.h"

#include <avr/interrupt.h>
#include <avr/io.h>
#include <avr/pgmspace.h>
#include <stdint.h>
#include <util/delay.h>

/* Copied from the composer, with PROGMEM added to keep it in flash: quillon_play_P reads it
 * there. Pasted as it is, without PROGMEM, it goes to RAM and quillon_play plays it. */
/* clang-format off */
const unsigned char music_item[] PROGMEM = {
0x73,0x73,0x93,0x93,0x9b,0x9b,0x94,0x8b,0x8b,0x83,0x83,0x7b,0x7b,0x74,0x00};
/* clang-format on */

int main(void) {
    DDRB |= _BV(DDB5);
    quillon_init();
    sei();
    quillon_play_P(music_item);

    uint8_t idleBlinks = 0;
    for (;;) {
        PINB = _BV(PINB5); /* one write toggles the LED, without reading PORTB back */
        _delay_ms(250);
        if (quillon_busy()) {
            idleBlinks = 0;
        } else if (++idleBlinks == 8) {
            idleBlinks = 0;
            quillon_play_P(music_item);
        }
    }
}
