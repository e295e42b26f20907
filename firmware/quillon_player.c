/* Quillon melody player. Timer1 toggles OC1A in hardware at the note's pitch, so no interrupt
 * latency reaches the pitch; Timer2 interrupts once a millisecond to step through the melody.
 *
 * A music code is note index * 8 + duration code. Index 0..27 sounds for its length less 20 ms,
 * then 20 ms of silence; 28..31 (31 is the rest) are silent for the whole length. Element 0 ends
 * the melody. */
#include "quillon_player.h"

#include "quillon_convention.h"

#include <avr/interrupt.h>
#include <avr/io.h>
#include <avr/pgmspace.h>
#include <stdint.h>

#if !(defined(__AVR_ATmega48__) || defined(__AVR_ATmega48A__) || defined(__AVR_ATmega48P__) ||     \
      defined(__AVR_ATmega48PA__) || defined(__AVR_ATmega88__) || defined(__AVR_ATmega88A__) ||    \
      defined(__AVR_ATmega88P__) || defined(__AVR_ATmega88PA__) || defined(__AVR_ATmega168__) ||   \
      defined(__AVR_ATmega168A__) || defined(__AVR_ATmega168P__) ||                                \
      defined(__AVR_ATmega168PA__) || defined(__AVR_ATmega328__) || defined(__AVR_ATmega328P__))
#error "quillon_player supports only the ATmega48, 88, 168 and 328 and their A, P, PA variants"
#endif

#if !defined(F_CPU)
#error "quillon_player needs F_CPU: 1000000, 8000000, 12000000, 16000000 or 20000000"
#endif

/* Timer1 counts T1_TICKS_PER_US per microsecond, so half a period of N microseconds is
 * N * T1_TICKS_PER_US counts: exact, and at most 12 * 3816 = 45792, which fits the 16-bit
 * compare register. Timer2 matches every T2_TOP + 1 counts, one millisecond. */
#if F_CPU == 1000000UL
#define T1_CS _BV(CS10) /* /1 */
#define T1_TICKS_PER_US 1u
#define T2_CS _BV(CS21) /* /8: 125 counts a millisecond */
#define T2_TOP 124u
#elif F_CPU == 8000000UL
#define T1_CS _BV(CS11) /* /8 */
#define T1_TICKS_PER_US 1u
#define T2_CS _BV(CS22) /* /64: 125 counts a millisecond */
#define T2_TOP 124u
#elif F_CPU == 12000000UL
#define T1_CS _BV(CS10) /* /1; at /8 an odd N would fall on half a count */
#define T1_TICKS_PER_US 12u
#define T2_CS _BV(CS22) /* /64: 187.5 counts a millisecond, so 187 and 188 take turns */
#define T2_TOP 186u
#elif F_CPU == 16000000UL
#define T1_CS _BV(CS11) /* /8 */
#define T1_TICKS_PER_US 2u
#define T2_CS (_BV(CS22) | _BV(CS20)) /* /128: 125 counts a millisecond */
#define T2_TOP 124u
#elif F_CPU == 20000000UL
/* 20 counts a microsecond overflow 16 bits above N = 3276 (C3 and D3): those two run at /8,
 * 2.5 counts a microsecond, where D3's odd N is rounded by half a count (0.006 %). */
#define T1_N_MAX_FAST 3276u
#define T2_CS (_BV(CS22) | _BV(CS20)) /* /128: 156.25 counts a millisecond: 157 every fourth */
#define T2_TOP 155u
#else
#error "quillon_player: unsupported F_CPU; use 1000000, 8000000, 12000000, 16000000 or 20000000"
#endif

/* Reload values 0x10000 - N of the 28 notes, high byte first, N in microseconds. */
static const uint8_t reload[] PROGMEM = {
#include "timer_reload.inc"
};
#define NOTE_COUNT (sizeof reload / 2u)
/* A missing or cut table must not build. */
typedef char reload_table_holds_a_pair_per_note[sizeof reload == 2u * QUILLON_NOTE_COUNT ? 1 : -1];

/* Length of each duration code in units of 100 ms: one byte each. */
#define IN_100MS(ms) ((ms) / 100u)
static const uint8_t length100ms[8] PROGMEM = {QUILLON_DURATIONS_MS(IN_100MS)};

/* Written by the main program only while Timer2 is stopped, so no locking is needed. */
static const unsigned char* volatile next;
static volatile uint16_t msLeft;
static volatile uint8_t playing;

static void silence(void) {
    TCCR1A = 0; /* OC1A off the pin, which falls back to PORTB1: low */
    TCCR1B = 0;
}

static void sound(uint8_t index) {
    /* Shifted as unsigned: 0xF1 << 8 overflows the 16-bit int that a byte is promoted to. */
    const uint16_t high = pgm_read_byte(&reload[2u * index]);
    const uint16_t value = (uint16_t)(high << 8) | pgm_read_byte(&reload[2u * index + 1u]);
    const uint16_t n = (uint16_t)(0u - value);
#if F_CPU == 20000000UL
    uint16_t top;
    uint8_t cs;
    if (n <= T1_N_MAX_FAST) {
        top = n * 20u - 1u;
        cs = _BV(CS10);
    } else {
        top = (n * 5u + 1u) / 2u - 1u;
        cs = _BV(CS11);
    }
#else
    const uint16_t top = n * T1_TICKS_PER_US - 1u;
    const uint8_t cs = T1_CS;
#endif
    TCNT1 = 0;
    OCR1A = top;
    /* Clear the output latch first, so that every note starts low and its first edge comes a
     * whole half period after the start. */
    TCCR1A = _BV(COM1A1);
    TCCR1C = _BV(FOC1A);
    TCCR1A = _BV(COM1A0);
    TCCR1B = _BV(WGM12) | cs;
}

/* Starts the next element and returns its length in ms, or 0 at the end of the melody. */
static uint16_t startElement(void) {
    const unsigned char* at = next;
    const uint8_t code = pgm_read_byte(at);
    if (code == 0) {
        TCCR2B = 0;
        playing = 0;
        return 0;
    }
    next = at + 1;
    const uint8_t index = code >> 3;
    if (index < NOTE_COUNT) {
        sound(index);
    }
    return (uint16_t)(pgm_read_byte(&length100ms[code & 7u]) * 100u);
}

ISR(TIMER2_COMPA_vect) {
    uint16_t ms = msLeft - 1u;
#if F_CPU == 12000000UL
    OCR2A ^= 1u;
#elif F_CPU == 20000000UL
    OCR2A = (ms & 3u) != 0 ? T2_TOP : T2_TOP + 1u;
#endif
    if (ms == QUILLON_GAP_MS) {
        silence();
    } else if (ms == 0) {
        ms = startElement();
    }
    msLeft = ms;
}

void quillon_init(void) {
#if defined(PRR)
    PRR &= (uint8_t) ~(_BV(PRTIM1) | _BV(PRTIM2));
#endif
    PORTB &= (uint8_t)~_BV(PORTB1);
    DDRB |= _BV(DDB1);
    TCCR2A = _BV(WGM21); /* CTC: clears at OCR2A */
    TIMSK2 = _BV(OCIE2A);
    quillon_stop();
}

void quillon_play(const unsigned char* melody) {
    quillon_stop();
    next = melody;
    msLeft = 1; /* the first step, a millisecond from now, starts element 0 */
    playing = 1;
    OCR2A = T2_TOP;
    TCNT2 = 0;
    TCCR2B = T2_CS;
}

void quillon_stop(void) {
    TCCR2B = 0;
    TIFR2 = _BV(OCF2A); /* a step already due would sound again */
    silence();
    playing = 0;
}

unsigned char quillon_busy(void) {
    return playing;
}
