/* The program quillon-upload writes onto a board: after each reset it plays the melody that the
 * tool wrote into flash right after this program's own bytes (text and data), and blinks the
 * board's LED while it plays; then it stays silent until the next reset. Built once for each
 * board, so that the user needs no compiler: only the melody changes. */
#include "quillon_player.h"

#include <avr/interrupt.h>
#include <avr/io.h>
#include <avr/pgmspace.h>
#include <avr/wdt.h>
#include <stdint.h>
#include <util/delay.h>

/* The LED on Arduino pin 13. Toggled by a write to PINx, which leaves the other bits of the port
 * (Timer1's output among them) alone. */
#if defined(__AVR_ATmega328P__)
#define LED_DDR DDRB
#define LED_PIN PINB
#define LED_PORT PORTB
#define LED_BIT 5
#elif defined(__AVR_ATmega2560__)
#define LED_DDR DDRB
#define LED_PIN PINB
#define LED_PORT PORTB
#define LED_BIT 7
#elif defined(__AVR_ATmega32U4__)
#define LED_DDR DDRC
#define LED_PIN PINC
#define LED_PORT PORTC
#define LED_BIT 7
#else
#error "quillon_board is built for the ATmega328P, 2560 and 32U4"
#endif

/* The end of the program's bytes in flash, from the linker: the melody follows there. */
extern const unsigned char __data_load_end[];

int main(void) {
    /* A bootloader may start the program from a watchdog reset with the watchdog still on. */
    MCUSR = 0;
    wdt_disable();
    LED_DDR |= _BV(LED_BIT);
    quillon_init();
    sei();
    quillon_play_P(__data_load_end);
    while (quillon_busy()) {
        LED_PIN = _BV(LED_BIT);
        _delay_ms(100);
    }
    LED_PORT &= (uint8_t)~_BV(LED_BIT);
    for (;;) {
    }
}
